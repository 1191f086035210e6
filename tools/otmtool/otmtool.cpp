// The model tool of the modding kit: inspect ".otm" models, draw them to pictures and import
// Wavefront OBJ files.

#include "assets/OTMModel.h"
#include "data/Extractor.h"
#include "tools/otmtool/ObjImport.h"
#include "tools/otmtool/Render.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char *const Usage =
    "usage: otmtool COMMAND ...\n"
    "  info FILE                  version, meshes, points, bounds, centre, radius and frames of a model\n"
    "  render FILE OUT.png [--time T] [--clock MS] [--size WxH] [--immediate]\n"
    "                             draws the model, lit and textured with the .png beside it, seen from\n"
    "                             the front right; --time poses it at normalized time T (0..1, default 0),\n"
    "                             --clock at game time MS; --immediate draws without vertex buffers\n"
    "  from-obj IN.obj OUT.otm [--points FILE] [--y-up] [--scale S]\n"
    "                             converts a Wavefront OBJ: groups with faces become meshes, groups\n"
    "                             without faces become named points; FILE adds points, one\n"
    "                             \"Name x y z\" per line; --y-up turns a y-up file to the game's z-up\n"
    "Models use x right, y forward and z up; the texture's top row is v = 0.\n";

struct TUsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Vector(const TVector3 &v)
{
    char text[96];
    std::snprintf(text, sizeof text, "%.3f %.3f %.3f", double(v.x), double(v.y), double(v.z));
    return text;
}

int Info(const std::string &file)
{
    TOTMModel model;
    {
        const TMemFile bytes(file, nullptr);
        model.Parse(bytes.Data, file);
    }
    std::printf("Version: %d\n", model.Version);
    std::printf("Frames: %d at %d per second\n", model.FrameCount, model.FramesPerSecond);
    std::printf("Meshes: %d\n", model.MeshCount);
    for (int i = 0; i < model.MeshCount; ++i) {
        const TMesh &mesh = model.Meshes[std::size_t(i)];
        std::printf("  %d \"%s\": %d vertices, %d faces, %d texture coordinates%s\n", i, mesh.Name.c_str(),
                    mesh.VertexCount, mesh.FaceCount, mesh.TexCoordCount, i == model.CollisionMesh ? ", collision" : "");
    }
    std::printf("Points: %d\n", model.PointCount);
    for (int i = 0; i < model.PointCount; ++i)
        std::printf("  %d \"%s\": %s\n", i, model.Points[std::size_t(i)].Name.c_str(),
                    Vector(model.Points[std::size_t(i)].Position).c_str());
    std::printf("Bounds: %s to %s\n", Vector(model.Bounds[1]).c_str(), Vector(model.Bounds[7]).c_str());
    std::printf("Center: %s\n", Vector(model.Center).c_str());
    std::printf("Radius: %.3f\n", double(model.Radius));
    return 0;
}

float NumberArgument(const std::string &option, const std::string &text)
{
    std::size_t used = 0;
    float value = 0;
    try {
        value = std::stof(text, &used);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used != text.size() || text.empty())
        throw TUsageError(option + " needs a number, not \"" + text + "\"");
    return value;
}

int Render(const std::vector<std::string> &args)
{
    if (args.size() < 3)
        throw TUsageError("render needs a model and a picture");
    TRenderOptions options;
    for (std::size_t i = 3; i < args.size(); ++i) {
        const std::string &option = args[i];
        if (option == "--immediate") {
            options.Immediate = true;
            continue;
        }
        if (i + 1 >= args.size())
            throw TUsageError("unknown option or missing value: " + option);
        const std::string &value = args[++i];
        if (option == "--time") {
            options.Time = NumberArgument(option, value);
        } else if (option == "--clock") {
            std::size_t used = 0;
            try {
                options.Clock = std::stol(value, &used);
            } catch (const std::exception &) {
                used = 0;
            }
            if (used == 0 || used != value.size() || options.Clock < 0)
                throw TUsageError("--clock needs whole milliseconds of at least 0, not \"" + value + "\"");
        } else if (option == "--size") {
            const std::size_t x = value.find('x');
            if (x == std::string::npos)
                throw TUsageError("--size needs WIDTHxHEIGHT, not \"" + value + "\"");
            options.Width = int(NumberArgument(option, value.substr(0, x)));
            options.Height = int(NumberArgument(option, value.substr(x + 1)));
        } else {
            throw TUsageError("unknown option: " + option);
        }
    }
    RenderModel(args[1], args[2], options);
    return 0;
}

int FromObj(const std::vector<std::string> &args)
{
    if (args.size() < 3)
        throw TUsageError("from-obj needs an OBJ file and a model file");
    TObjOptions options;
    for (std::size_t i = 3; i < args.size(); ++i) {
        const std::string &option = args[i];
        if (option == "--y-up") {
            options.YUp = true;
        } else if (option == "--points" && i + 1 < args.size()) {
            options.PointsFile = args[++i];
        } else if (option == "--scale" && i + 1 < args.size()) {
            options.Scale = NumberArgument(option, args[++i]);
        } else {
            throw TUsageError("unknown option or missing value: " + option);
        }
    }
    const TModelBuilder model = ImportObj(args[1], options);
    const std::vector<std::uint8_t> bytes = model.Bytes();
    TOTMModel check;   // what the game will make of it
    check.Parse(bytes, args[2]);
    model.Save(args[2]);
    std::printf("%s: %d meshes, %d points, radius %.3f\n", args[2].c_str(), check.MeshCount, check.PointCount,
                double(check.Radius));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.empty() || args[0] == "--help" || args[0] == "-h") {
            std::fputs(Usage, args.empty() ? stderr : stdout);
            return args.empty() ? 2 : 0;
        }
        if (args[0] == "info" && args.size() == 2)
            return Info(args[1]);
        if (args[0] == "render")
            return Render(args);
        if (args[0] == "from-obj")
            return FromObj(args);
        throw TUsageError("unknown command or wrong arguments: " + args[0]);
    } catch (const TUsageError &e) {
        std::fprintf(stderr, "otmtool: %s\n%s", e.what(), Usage);
        return 2;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "otmtool: %s\n", e.what());
        return 1;
    }
}
