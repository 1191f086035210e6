#pragma once
// Game objects and the object list of a mission.
//
// Every simulated thing of a mission except the scenery (ships, aircraft, guns, buildings, islands,
// projectiles, wrecks, markers and the player aircraft) is a TGameObject. The mission's
// TObjectsControl owns the listed objects and runs the per-frame passes over them (update, projection
// to the screen, visibility, drawing, removal of the dead) and answers the spatial queries of weapons,
// AI and the player: the nearest hostile target, the object containing a point, and sphere-against-
// mesh collision. The player aircraft is a TGameObject too but is never in the list.

#include "core/Bytes.h"
#include "core/Maths.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <unordered_set>
#include <string>
#include <vector>

class TModel;
class TObjectGrid;
class TObjectsControl;
class TStateIO;

// What an object is, as collision, the radar and the scripts tell objects apart. Kept as a 32-bit
// integer (some state messages carry it).
enum class TObjectCategory : std::int32_t {
    Ordinary = 0,
    Missile = 1,      // a homing or ballistic missile, a plasma ball, the mega bomb
    Bomb = 2,         // a dropped bomb: never on the radar
    Turret = 3,       // a gun turret, owned by the ship, site or carrier that carries it
    CheckPoint = 4,   // on the radar even without health
    Island = 5,       // collides by its own shore triangles, and always
    Building = 6,     // collides even when not targetable
};

// The kill category of an object for scoring (TGameObject::TargetClass): a kill of an aircraft or
// a ship counts in the mission's statistics.
enum class TTargetClass : std::int32_t {
    None = 0,
    Aircraft = 2,
    Ship = 3,
    Ground = 4,   // buildings and air-defence sites
};

// One collision triangle already in world space, with its unit normal.
struct TWorldTriangle {
    TVector4 Normal;
    TVector4 Vertices[3];
};

class TGameObject {
public:
    TGameObject() = default;
    virtual ~TGameObject() = default;
    TGameObject(const TGameObject &) = delete;
    TGameObject &operator=(const TGameObject &) = delete;

    // Advances the object by Dt milliseconds.
    virtual void Update(int dt) = 0;
    // Draws the object; called inside the objects' draw pass.
    virtual void Draw() = 0;
    // The kill category for scoring.
    virtual TTargetClass TargetClass() { return TTargetClass::None; }
    // Appends this object's network state message to Message: runs DescribeState writing. Classes
    // without network state write nothing.
    void WriteState(TByteWriter &message);
    // Applies a received state message: runs DescribeState reading. A message of another class, or
    // one cut short, leaves the object as it was. Classes without network state ignore it.
    void ReadState(TByteReader &message);
    // The class's state message, described once for both directions (sim/UnitState.h): its head,
    // then its own fields in order. The base class has none.
    virtual void DescribeState(TStateIO & /*io*/) {}
    // Sets Health; classes may react (a unit at zero starts dying).
    virtual void SetHealth(float value) { Health = value; }
    // The class's own collision triangles in world space (an island keeps its whole shore here).
    // Collision tests them after the model's collision mesh; most classes have none.
    virtual std::span<const TWorldTriangle> WorldTriangles() const { return {}; }
    // Appends to Indices the numbers (into WorldTriangles) of the triangles that the collision sphere
    // round Point might touch: every triangle it can touch is among them, others may be too, and
    // numbers may repeat. False when the class keeps no such index (then every triangle is a
    // candidate and nothing is appended).
    virtual bool TrianglesNear(const TVector3 & /*point*/, std::vector<std::uint32_t> & /*indices*/) const
    {
        return false;
    }

    float GetHealth() const { return Health; }

    float         Health = 0;          // <= 0 counts as destroyed for every query
    std::uint16_t Id = 0;              // unique within the mission, from TObjectsControl::NewId
    TModel       *Model = nullptr;     // shared with the model library, not owned; may be null
    std::int32_t  Side = 0;            // 0 friend, 1 enemy, -1 neutral
    float         MaxHealth = 0;
    TVector4      Position;            // x, y horizontal, z altitude (sea level 0)
    TVector4      Rotation;            // degrees: [0] pitch about x, [1] heading about z, [2] roll about y
    // The pitch at which the model lies level: 0, but -90 for the player aircraft, whose Rotation
    // carries the flight model's angles. ObjectMatrix turns the model by the pitch less this.
    float         LevelPitch = 0;
    bool          Piloted = false;     // a player's aircraft, here or over the network
    TGameObject  *Target = nullptr;    // what Order applies to; not owned
    std::uint8_t  Dead = 0;            // finished; freed once RefCount drops below 1
    std::int32_t  RefCount = 0;        // script holds (groups, the checkpoint)
    float         ScreenX = 0, ScreenY = 0;   // ViewCentre in normalised device units, each frame
    std::string   Name;                // display name, at most 255 characters
    std::uint8_t  OnRadar = 0;
    TObjectCategory Category = TObjectCategory::Ordinary;
    std::int32_t  Order = 0;           // 0 attack, 1 move to, 2 defend
    float         OrderData = 0;       // the moving classes keep their current speed here
    std::uint8_t  Targetable = 0;      // may be chosen as a target and takes part in collision
    TVector4      ViewCentre;          // world bounding-box centre (Position without a model), each frame
    std::uint8_t  IsGround = 0;        // ground and sea units 1, aircraft 0
    TVector4      BoxCorners[8];       // the model's bounding-box corners in world space, each frame
    std::uint8_t  WeaponEnabled = 0;   // may fire; set when the object enters the list
    std::uint8_t  BlinkOnRadar = 0;
    std::uint8_t  IsStatic = 0;        // buildings, markers, islands, the fixed gun
    std::uint8_t  Visible = 0;         // not hidden behind scenery this frame
};

// The longest object name kept (names travel in a fixed 256-byte field).
constexpr std::size_t MaxObjectNameLength = 255;

// What the maker of a new object gives it. Every maker stamps through StampObject: the object
// classes' constructors (the Id, where the object stands and faces, the class's own flags), the
// script's create commands (side, health, name, the script's hold) and the launchers (the
// projectile's side and health). A field left empty leaves the object's as it is.
struct TObjectStamp {
    TObjectsControl               *IdFrom = nullptr;   // Id := IdFrom->NewId()
    std::optional<TVector3>        Position = {};      // with w 0
    std::optional<TVector3>        Rotation = {};      // (pitch, heading, roll) in degrees, with w 0
    std::optional<std::int32_t>    Side = {};
    std::optional<float>           Health = {};        // through SetHealth
    std::optional<float>           MaxHealth = {};
    std::optional<std::string>     Name = {};          // cut to MaxObjectNameLength
    std::optional<std::uint8_t>    OnRadar = {}, Targetable = {}, IsGround = {}, IsStatic = {};
    std::optional<TObjectCategory> Category = {};
    // Whether a script holds the object (RefCount 1) or not (RefCount 0); either way it is not Dead.
    std::optional<bool>            Held = {};
};

// Gives Object the fields of Stamp, in the order of its declaration.
void StampObject(TGameObject &object, const TObjectStamp &stamp);

// The player aircraft; null until it exists. It is never in an object list, but the queries that
// concern the player (Contains, FindNearestTarget) treat it separately.
extern TGameObject *PlayerAircraft;

// Whether an object can show at all in the view being drawn (it is not wholly outside the view);
// the draw pass skips those that cannot. The renderer installs it; without it everything is drawn.
extern bool (*ObjectInView)(const TGameObject &object);

// The shader program number of the objects' draw pass, as handed to the shader seam.
constexpr int ObjectsShaderProgram = 0;

// The world point P in normalised device units: clip = (x, y, z, 1) x ViewModelView x ViewProjection
// with the matrices of this frame (core/View.h), then x, y and z divided by w. No viewport transform; a point behind the eye
// (w <= 0) is not treated specially, so callers compare the result with -1..1.
TVector3 ProjectToScreen(const TVector3 &p);

// The model placement of an object: translation to Position, heading about z, then pitch about x.
TMatrix4 ObjectMatrix(const TGameObject &object);

// A sample point of a moving body, tested against the meshes of the listed objects.
struct TCollisionPoint {
    TVector4 Position;   // world position
};

// A collision query, filled by its caller.
struct TCollisionData {
    TVector4                     Centre;               // the moving body's position
    float                        Radius = 0;           // its broad-phase radius
    TVector4                     PushOut;              // written: moves the touching point out of the surface
    std::vector<TCollisionPoint> Points;
    std::int32_t                 PointCount = 0;       // the first PointCount entries of Points are tested
    TGameObject                 *HitObject = nullptr;  // written: the object touched, null without contact
};

// The radius of the sphere around each sample point that collision tests against triangles.
constexpr float CollisionSphereRadius = 10.0f;

// Whether the sphere of radius R around C touches the triangle A, B, C2 with unit normal N; on
// contact PushOut is N x (R - d), d being the signed distance of C from the triangle's plane.
bool SphereTouchesTriangle(const TVector3 &c, float r, const TVector3 &a, const TVector3 &b, const TVector3 &c2,
                           const TVector3 &n, TVector4 &pushOut);

class TObjectsControl {
public:
    TObjectsControl();
    // Frees every object still listed.
    ~TObjectsControl();
    TObjectsControl(const TObjectsControl &) = delete;
    TObjectsControl &operator=(const TObjectsControl &) = delete;

    // The low 16 bits of NextId, which then moves on: ids wrap around after 65535.
    std::uint16_t NewId();
    // Appends Object and enables its weapons; the list owns it from now on. Null is ignored.
    void Add(TGameObject *object);
    // Frees Object and moves the last entry into its slot; nothing when it is not listed.
    void Remove(TGameObject *object);
    // The first listed object with Id, or null.
    TGameObject *FindById(std::uint16_t id) const;
    // Whether Object is listed or is the player aircraft.
    bool Contains(const TGameObject *object) const;

    // Updates every object listed at the start of the pass, in list order, then frees the dead that
    // no script holds any more.
    void Update(int dt);
    // Refreshes ViewCentre, BoxCorners, ScreenX and ScreenY of every object.
    void UpdateProjection();
    // Draws every object in list order inside the objects' shader.
    void Draw();

    // The nearest live, targetable object of another side than Side within Range of Position, the
    // player aircraft included; AllowAir and AllowGround choose aircraft and ground units. Ties keep
    // the earlier candidate, the player before the list.
    TGameObject *FindNearestTarget(bool allowAir, bool allowGround, int side, const TVector3 &position,
                                   float range) const;
    // The first live, targetable object with a model whose world bounding box contains Point.
    TGameObject *FindContaining(const TVector3 &point) const;
    // Whether a sample point of Data touches the collision mesh (or own triangles) of a listed object;
    // then Data.HitObject and Data.PushOut say which and how. IslandsOnly limits it to islands.
    bool Collide(TCollisionData &data, bool islandsOnly) const;
    // Health := Health - Amount; nothing for a null object.
    void DamageObject(TGameObject *object, float amount);

    // A homing missile (TAirToAirRocket) and a dropped bomb (TBomb), added to the list with their
    // launch sound at Start; Direction is the projectile's angles at launch, (pitch, heading, roll) in
    // degrees. A multiplayer client makes none unless Forced (its server's message makes them): then
    // the result is null, otherwise the new projectile.
    TGameObject *LaunchMissile(const TVector3 &start, const TVector3 &direction, float damage, float launchSpeed,
                               float topSpeed, float health, TGameObject *target, int side, int lifetime,
                               std::int32_t extra, bool forced);
    TGameObject *LaunchBomb(const TVector3 &start, const TVector3 &direction, float forwardSpeed, float damage,
                            float health, TGameObject *target, int side, bool forced);

    std::uint32_t              NextId = 1;
    std::vector<TGameObject *> Objects;   // owned
    int                        Count = 0;
    // During the update pass the target search and collision look only at the objects filed near
    // the query (sim/ObjectGrid.h), with the same answers as scanning the list; false scans.
    bool                       SpatialIndex = true;

private:
    // Frees the object in slot I and moves the last entry there.
    void FreeAt(int i);
    // Whether the grid of the running update pass answers spatial queries.
    bool GridReady() const { return SpatialIndex && InPass && Grid; }
    // The collision test of one object, as Collide makes it.
    bool CollideWith(TGameObject *object, TCollisionData &data, bool islandsOnly, int points) const;

    std::unordered_set<const TGameObject *> Members;   // the listed objects, for Contains
    std::unique_ptr<TObjectGrid> Grid;                 // built for each update pass
    bool InPass = false;
};
