#include "core/Maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <set>

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
constexpr float Tol = 1e-6f;

void ExpectVector3(const TVector3 &actual, const TVector3 &expected, float tol = Tol)
{
    EXPECT_NEAR(actual.x, expected.x, tol);
    EXPECT_NEAR(actual.y, expected.y, tol);
    EXPECT_NEAR(actual.z, expected.z, tol);
}

void ExpectVector4(const TVector4 &actual, const TVector4 &expected, float tol = Tol)
{
    ExpectVector3(actual, expected, tol);
    EXPECT_NEAR(actual.w, expected.w, tol);
}

void ExpectMatrix(const TMatrix4 &actual, const TMatrix4 &expected, float tol = Tol)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], tol) << "element " << i << " (row " << i / 4 << ", column " << i % 4 << ")";
}

TMatrix4 Rows(std::initializer_list<float> values)
{
    TMatrix4 m;
    int i = 0;
    for (float v : values)
        m[i++] = v;
    return m;
}

TMatrix4 Translation(float x, float y, float z)
{
    TMatrix4 m = MatrixIdentity();
    MatrixSetTranslation(m, VectorSet3(x, y, z));
    return m;
}

TMatrix4 Rotation(float ax, float ay, float az)
{
    TMatrix4 m = MatrixIdentity();
    MatrixSetRotation(m, VectorSet3(ax, ay, az));
    return m;
}

} // namespace

TEST(MathsVector, FourLaneOperationsCarryWAndGeometryIgnoresIt)
{
    const TVector4 a = VectorSet4(1, 2, 3, 4);
    const TVector4 b = VectorSet4(4, 6, 3, -7);

    ExpectVector4(VectorScale(a, 2), VectorSet4(2, 4, 6, 8));
    ExpectVector4(VectorMultiply(a, b), VectorSet4(4, 12, 9, -28));
    ExpectVector4(VectorSubtract(a, b), VectorSet4(-3, -4, 0, 11));
    ExpectVector4(VectorNormalize(VectorSet4(3, 0, 4, 10)), VectorSet4(0.6f, 0, 0.8f, 2));

    EXPECT_FLOAT_EQ(VectorDot(a, b), 4 + 12 + 9);
    EXPECT_FLOAT_EQ(VectorNegDot(a, b), -25);
    EXPECT_FLOAT_EQ(VectorLength(VectorSet4(3, 0, 4, 100)), 5);
    EXPECT_FLOAT_EQ(VectorDistance(a, b), 5);
}

TEST(MathsVector, CrossIsRightHandedAndTriangleNormalFollowsItsWinding)
{
    const TVector3 x = VectorSet3(1, 0, 0), y = VectorSet3(0, 1, 0), z = VectorSet3(0, 0, 1);
    ExpectVector3(VectorCross(x, y), z);
    ExpectVector3(VectorCross(y, z), x);
    ExpectVector3(VectorCross(y, x), VectorSet3(0, 0, -1));

    // Counter-clockwise seen from above: (c - a) x (b - a) points down, and comes out unit length.
    const TVector3 a = VectorSet3(5, 5, 2), b = VectorSet3(8, 5, 2), c = VectorSet3(5, 7, 2);
    ExpectVector3(TriangleNormal(a, b, c), VectorSet3(0, 0, -1));
    ExpectVector3(TriangleNormal(a, c, b), VectorSet3(0, 0, 1));
}

TEST(MathsVector, PlaneSideIsNegativeOnTheSideTheNormalPointsTo)
{
    const TVector3 n = VectorSet3(0, 0, 1), p = VectorSet3(7, -3, 5);
    EXPECT_FLOAT_EQ(PlaneSide(n, p, VectorSet3(1, 1, 8)), -3);
    EXPECT_FLOAT_EQ(PlaneSide(n, p, VectorSet3(-40, 9, 1)), 4);
    EXPECT_FLOAT_EQ(PlaneSide(n, p, VectorSet3(100, 100, 5)), 0);
}

TEST(MathsVector, NormalizeSafeLeavesOnlyTinyVectorsAlone)
{
    struct Case {
        const char *name;
        TVector4 in, expected;
    };
    const Case cases[] = {
        {"zero keeps w", VectorSet4(0, 0, 0, 7), VectorSet4(0, 0, 0, 7)},
        {"below the tolerance", VectorSet4(0, 5e-8f, 0, -2), VectorSet4(0, 5e-8f, 0, -2)},
        {"2e-7 is long enough", VectorSet4(2e-7f, 0, 0, 1e-7f), VectorSet4(1, 0, 0, 0.5f)},
        {"ordinary", VectorSet4(0, -3, 4, 10), VectorSet4(0, -0.6f, 0.8f, 2)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ExpectVector4(VectorNormalizeSafe(c.in), c.expected);
        ExpectVector3(VectorNormalizeSafe(static_cast<const TVector3 &>(c.in)), c.expected);
    }
}

TEST(MathsVector, ClampFloatTakesTheUpperBoundFirst)
{
    struct Case {
        float hi, lo, x, expected;
    };
    const Case cases[] = {
        {1, -1, 1.5f, 1}, {1, -1, -3, -1}, {1, -1, 0.25f, 0.25f}, {10, 0, 5, 5}, {10, 0, 11, 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "ClampFloat(" << c.hi << ", " << c.lo << ", " << c.x << ")");
        EXPECT_EQ(ClampFloat(c.hi, c.lo, c.x), c.expected);
    }
}

TEST(MathsVector, AngleClampsRoundingAndTreatsZeroVectorsAsAligned)
{
    // A unit vector whose cosine with itself rounds to 1.00000012 in single precision.
    const TVector3 v = VectorSet3(0.34037286f, 0.935567558f, 0.0941256434f);
    const TVector3 minusV = VectorScale(v, -1);
    ASSERT_GT(VectorDot(v, v) / (VectorLength(v) * VectorLength(v)), 1.0f);

    struct Case {
        const char *name;
        TVector3 a, b;
        float expected;
    };
    const Case cases[] = {
        {"identical", v, v, 0},
        {"opposite", v, minusV, Pi},
        {"zero first", VectorSet3(0, 0, 0), v, 0},
        {"zero second", v, VectorSet3(0, 0, 0), 0},
        {"perpendicular", VectorSet3(2, 0, 0), VectorSet3(0, 0, 3), Pi / 2},
        {"45 degrees, lengths differ", VectorSet3(5, 0, 0), VectorSet3(1, 1, 0), Pi / 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(VectorAngle(c.a, c.b), c.expected, Tol);
    }
}

TEST(MathsMatrix, TransposeSwapsRowsAndColumns)
{
    TMatrix4 m;
    for (int i = 0; i < 16; ++i)
        m[i] = float(i);
    ExpectMatrix(MatrixTranspose(m), Rows({0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15}), 0);
}

TEST(MathsMatrix, MultiplyAppliesTheLeftMatrixFirstToRowVectors)
{
    const TMatrix4 moveX = Translation(1, 0, 0);
    const TMatrix4 turnZ = Rotation(0, 0, Pi / 2); // x -> y

    // Move then turn: the offset is turned too. Turn then move: the offset stays on x.
    const TMatrix4 moveThenTurn = MatrixMultiply(moveX, turnZ);
    const TMatrix4 turnThenMove = MatrixMultiply(turnZ, moveX);
    ExpectVector3(VectorSet3(moveThenTurn[12], moveThenTurn[13], moveThenTurn[14]), VectorSet3(0, 1, 0));
    ExpectVector3(VectorSet3(turnThenMove[12], turnThenMove[13], turnThenMove[14]), VectorSet3(1, 0, 0));

    const TVector3 p = VectorSet3(2, 3, 4);
    ExpectVector3(MatrixTransformPoint(p, moveThenTurn), VectorSet3(-3, 3, 4));
    ExpectVector3(MatrixTransformPoint(p, turnThenMove), VectorSet3(-2, 2, 4));

    // Two shears whose product depends on the order: rows of A times columns of B.
    const TMatrix4 a = Rows({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const TMatrix4 b = Rows({1, 0, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    ExpectMatrix(MatrixMultiply(a, b), Rows({7, 2, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}), 0);
}

TEST(MathsMatrix, PointsAreRowVectorsAndVector4sAreColumns)
{
    TMatrix4 m = Rotation(0, 0, Pi / 2); // rows (0, 1, 0), (-1, 0, 0), (0, 0, 1)
    MatrixSetTranslation(m, VectorSet3(10, 20, 30));

    // p * M: rotate (1, 2, 3) to (-2, 1, 3), then add the translation.
    ExpectVector3(MatrixTransformPoint(VectorSet3(1, 2, 3), m), VectorSet3(8, 21, 33), 1e-5f);
    // M * v over four lanes: the translation row only feeds w.
    ExpectVector4(MatrixTransformVector4(m, VectorSet4(1, 2, 3, 1)), VectorSet4(2, -1, 3, 141), 1e-5f);
}

TEST(MathsMatrix, AxisRotationsOfIdentity)
{
    const float c = std::cos(0.3f), s = std::sin(0.3f);
    struct Case {
        const char *name;
        void (*rotate)(TMatrix4 &, float);
        float angle;
        TMatrix4 expected;
    };
    const Case cases[] = {
        {"Z quarter turn", MatrixRotateZ, Pi / 2, Rows({0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})},
        {"X", MatrixRotateX, 0.3f, Rows({1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1})},
        {"Y", MatrixRotateY, 0.3f, Rows({c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1})},
        {"Z", MatrixRotateZ, 0.3f, Rows({c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        TMatrix4 m = MatrixIdentity();
        k.rotate(m, k.angle);
        ExpectMatrix(m, k.expected);
    }
}

TEST(MathsMatrix, AxisRotationMultipliesOnTheLeft)
{
    // M := R * M: the translation row of M is kept, and the new rotation acts before M's own.
    TMatrix4 m = Rotation(0.4f, 0, 0);
    MatrixSetTranslation(m, VectorSet3(5, 6, 7));
    TMatrix4 rotated = m;
    MatrixRotateZ(rotated, 1.1f);
    ExpectMatrix(rotated, MatrixMultiply(Rotation(0, 0, 1.1f), m));
    EXPECT_EQ(rotated[12], 5);
    EXPECT_EQ(rotated[13], 6);
    EXPECT_EQ(rotated[14], 7);
}

TEST(MathsMatrix, EulerRotationTurnsAboutXThenYThenZ)
{
    struct Case {
        float ax, ay, az;
    };
    const Case cases[] = {
        {0.3f, 0, 0}, {0, 0.3f, 0}, {0, 0, 0.3f}, {0.2f, -0.7f, 1.9f}, {-2.5f, 1.2f, -0.4f}, {Pi, Pi / 2, -Pi / 3},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(testing::Message() << "angles " << k.ax << ", " << k.ay << ", " << k.az);
        TMatrix4 composed = MatrixIdentity();
        MatrixRotateZ(composed, k.az);
        MatrixRotateY(composed, k.ay);
        MatrixRotateX(composed, k.ax);
        ExpectMatrix(Rotation(k.ax, k.ay, k.az), composed);
    }

    // Quarter turns, each right-handed: about x, y goes onto z; about z, x onto y; about y, x onto -z.
    ExpectVector3(MatrixTransformPoint(VectorSet3(0, 1, 0), Rotation(Pi / 2, 0, 0)), VectorSet3(0, 0, 1));
    ExpectVector3(MatrixTransformPoint(VectorSet3(1, 0, 0), Rotation(0, 0, Pi / 2)), VectorSet3(0, 1, 0));
    ExpectVector3(MatrixTransformPoint(VectorSet3(1, 0, 0), Rotation(0, Pi / 2, 0)), VectorSet3(0, 0, -1));
}

TEST(MathsMatrix, SettersWriteOnlyTheirOwnElements)
{
    struct Case {
        const char *name;
        std::function<void(TMatrix4 &)> apply;
        std::set<int> written;
        TMatrix4 expected; // for the written elements only
    };
    const TMatrix4 identity = MatrixIdentity();
    TMatrix4 moved;
    moved[12] = -1;
    moved[13] = 2.5f;
    moved[14] = 900;
    const Case cases[] = {
        {"rotation with zero angles", [](TMatrix4 &m) { MatrixSetRotation(m, VectorSet3(0, 0, 0)); },
         {0, 1, 2, 4, 5, 6, 8, 9, 10}, identity},
        {"translation", [](TMatrix4 &m) { MatrixSetTranslation(m, VectorSet4(-1, 2.5f, 900, 33)); }, {12, 13, 14},
         moved},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        TMatrix4 m;
        for (int i = 0; i < 16; ++i)
            m[i] = 100.0f + float(i);
        k.apply(m);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(m[i], k.written.count(i) ? k.expected[i] : 100.0f + float(i)) << "element " << i;
    }
}
