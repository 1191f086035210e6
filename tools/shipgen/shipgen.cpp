// shipgen: builds the ship models of the game with their textures.
//
//   shipgen DATA FONT                     writes every ship under DATA/Models/Ships/ (hull numbers
//                                         and names set in the typeface FONT)
//   shipgen turn IN.otm OUT.otm YAW [TILT [--sea]]
//                                         a copy of a model turned YAW degrees about z, then TILT
//                                         about x, with its texture beside it: "otmtool render"
//                                         shows every model from the front right, this shows the rest;
//                                         --sea adds a flat sea at z = 0

#include "assets/OTMModel.h"
#include "data/Extractor.h"
#include "tools/shipgen/Ships.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

std::string Font;

const char *const Usage =
    "usage: shipgen DATA FONT\n"
    "         writes every ship model, texture, wreck and lower-detail variant under DATA/Models/Ships/,\n"
    "         hull numbers and names set in the typeface FONT\n"
    "       shipgen turn IN.otm OUT.otm YAW [TILT [--sea]]\n"
    "         a copy of a model turned YAW degrees about z, then TILT about x, with its texture beside\n"
    "         it, to look at it from other sides with \"otmtool render\"; --sea adds a flat sea at z = 0\n";

float Number(const char *what, const std::string &text)
{
    std::size_t used = 0;
    float value = 0;
    try {
        value = std::stof(text, &used);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used == 0 || used != text.size())
        throw std::invalid_argument(std::string(what) + " needs a number, not \"" + text + "\"");
    return value;
}

int Turn(const std::string &in, const std::string &out, float yaw, float tilt, bool sea)
{
    TOTMModel model;
    {
        const TMemFile bytes(in, nullptr);
        model.Parse(bytes.Data, in);
    }
    const TVector4 turn = KeyRotationThen(KeyRotation(V3(0, 0, 1), Radians(yaw)), KeyRotation(V3(1, 0, 0), Radians(tilt)));
    const TMatrix4 matrix = QuaternionToMatrix(turn, V3(0, 0, 0));
    TModelBuilder copy(model.FrameCount, model.FramesPerSecond);
    for (const TMesh &mesh : model.Meshes) {
        TMeshBuilder &m = copy.AddMesh(mesh.Name);
        for (int i = 0; i < mesh.VertexCount; ++i) {
            m.Vertices.push_back(mesh.Vertices[std::size_t(i)]);
            m.Normals.push_back(mesh.Normals[std::size_t(i)]);
        }
        m.TexCoords = mesh.TexCoords;
        m.Faces = mesh.Faces;
        m.TexFaces = mesh.TexFaces;
        for (std::size_t k = 0; k < mesh.Keys.size(); ++k) {
            m.Keys[k].Position = VectorSet4(0, 0, 0, 0);
            const TVector3 p = MatrixTransformPoint(mesh.Keys[k].Position, matrix);
            m.Keys[k].Position = VectorSet4(p.x, p.y, p.z, 0);
            m.Keys[k].Rotation = KeyRotationThen(mesh.Keys[k].Rotation, turn);
        }
    }
    if (sea) {
        // A flat sea at z = 0 (any texel will do) so the waterline and the sinking can be judged.
        const float r = model.Radius * 0.8f;
        TMeshBuilder &m = copy.AddMesh("Sea");
        m.Transform = QuaternionToMatrix(turn, V3(0, 0, 0));
        m.Quad(V3(-r, -r, 0), V3(r, -r, 0), V3(r, r, 0), V3(-r, r, 0), {0.995f, 0.995f, 0.996f, 0.996f});
    }
    for (const TModelPoint &point : model.Points)
        copy.AddPoint(point.Name, MatrixTransformPoint(point.Position, matrix));
    copy.Save(out);
    std::filesystem::copy_file(OTMTextureName(in), OTMTextureName(out), std::filesystem::copy_options::overwrite_existing);
    return 0;
}

} // namespace

void SetShipFont(const std::string &path) { Font = path; }
const std::string &ShipFont() { return Font; }

void WriteShip(const TShipOutput &out, const TShipRecipe &recipe)
{
    const std::string folder = out.Folder(recipe.Folder);
    const TModelBuilder main = recipe.Main(0), dead = recipe.Dead();
    const TModelBuilder lod0 = recipe.Lods ? recipe.Main(1) : TModelBuilder(), lod1 = recipe.Lods ? recipe.Main(2) : TModelBuilder();
    for (const int side : {0, 1}) {
        const TCanvas texture = recipe.Paint(side);
        const std::string suffix = std::to_string(side);
        SaveModel(main, texture, folder + "Main_" + suffix);
        SaveModel(dead, Scorched(Downsample(texture, 2), 500 + std::uint32_t(side)), folder + "Dead_" + suffix);
        if (recipe.Lods) {
            SaveModel(lod0, Downsample(texture, 2), folder + "Main_" + suffix + "_lod0");
            SaveModel(lod1, Downsample(texture, 4), folder + "Main_" + suffix + "_lod1");
        }
    }
}

int main(int argc, char **argv)
{
    try {
        if (argc >= 5 && std::string(argv[1]) == "turn")
            return Turn(argv[2], argv[3], Number("YAW", argv[4]), argc >= 6 ? Number("TILT", argv[5]) : 0.0f,
                        argc >= 7 && std::string(argv[6]) == "--sea");
        if (argc != 3 || std::string(argv[1]).rfind("-", 0) == 0) {
            std::fputs(Usage, argc == 2 && std::string(argv[1]) == "--help" ? stdout : stderr);
            return argc == 2 && std::string(argv[1]) == "--help" ? 0 : 2;
        }
        SetShipFont(argv[2]);
        const TShipOutput out{argv[1], argv[2]};
        MakeDestroyer(out);
        MakeBoat(out);
        MakeBattleShip(out);
        MakeCargo(out);
        MakeTanker(out);
        MakeSubmarines(out);
        MakeCarrier(out);
        return 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "shipgen: %s\n", e.what());
        return 1;
    }
}
