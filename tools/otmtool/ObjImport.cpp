#include "tools/otmtool/ObjImport.h"

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

struct TCorner {
    int V = -1, T = -1, N = -1;   // zero-based indices into the file's lists; -1 when absent
};

struct TGroup {
    std::string                       Name;
    std::vector<std::vector<TCorner>> Polygons;
    std::vector<int>                  PointVertices;   // "p" elements
    std::vector<int>                  OwnVertices;     // "v" lines written while the group was open
};

class TObjReader {
public:
    TObjReader(std::string path, const TObjOptions &options) : Path(std::move(path)), Options(options) {}

    TModelBuilder Read();

private:
    [[noreturn]] void Fail(const std::string &what) const
    {
        throw std::runtime_error(Path + " line " + std::to_string(Line) + ": " + what);
    }
    float Number(std::istringstream &in, const char *what);
    int Index(const std::string &text, std::size_t count, const char *what);
    TCorner Corner(const std::string &text);
    TGroup &Open(const std::string &name);
    TVector3 Axes(TVector3 p) const;
    void BuildMesh(TModelBuilder &model, const TGroup &group) const;
    void ReadPointsFile(TModelBuilder &model);

    std::string              Path;
    const TObjOptions       &Options;
    int                      Line = 0;
    std::vector<TVector3>    Positions, Normals;
    std::vector<TPoint2>     Coords;
    std::vector<TGroup>      Groups;
    std::map<std::string, std::size_t> ByName;
    std::size_t              Current = 0;
    bool                     HaveCurrent = false;
};

float TObjReader::Number(std::istringstream &in, const char *what)
{
    std::string word;
    if (!(in >> word))
        Fail(std::string("the ") + what + " lacks a number");
    std::size_t used = 0;
    float value = 0;
    try {
        value = std::stof(word, &used);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used != word.size() || !std::isfinite(value))
        Fail(std::string("the ") + what + " has \"" + word + "\" where a number belongs");
    return value;
}

// OBJ indices count from 1; negative ones count back from the latest element.
int TObjReader::Index(const std::string &text, std::size_t count, const char *what)
{
    long value = 0;
    std::size_t used = 0;
    try {
        value = std::stol(text, &used);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used != text.size() || value == 0)
        Fail(std::string("\"") + text + "\" is no " + what + " index");
    const long index = value > 0 ? value - 1 : long(count) + value;
    if (index < 0 || index >= long(count))
        Fail(std::string(what) + " " + text + " does not exist (" + std::to_string(count) + " so far)");
    return int(index);
}

TCorner TObjReader::Corner(const std::string &text)
{
    TCorner corner;
    const std::size_t a = text.find('/');
    corner.V = Index(text.substr(0, a), Positions.size(), "vertex");
    if (a == std::string::npos)
        return corner;
    const std::size_t b = text.find('/', a + 1);
    const std::string t = text.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
    if (!t.empty())
        corner.T = Index(t, Coords.size(), "texture coordinate");
    if (b != std::string::npos)
        corner.N = Index(text.substr(b + 1), Normals.size(), "normal");
    return corner;
}

TGroup &TObjReader::Open(const std::string &name)
{
    auto found = ByName.find(name);
    if (found == ByName.end()) {
        found = ByName.emplace(name, Groups.size()).first;
        Groups.push_back({name, {}, {}, {}});
    }
    Current = found->second;
    HaveCurrent = true;
    return Groups[Current];
}

TVector3 TObjReader::Axes(TVector3 p) const
{
    if (Options.YUp)
        p = VectorSet3(p.x, -p.z, p.y);
    return VectorScale(p, Options.Scale);
}

void TObjReader::BuildMesh(TModelBuilder &model, const TGroup &group) const
{
    TMeshBuilder &mesh = model.AddMesh(group.Name);
    // One mesh vertex per distinct (position, normal) pair; texture coordinates are indexed apart.
    std::map<std::pair<int, int>, int> vertexOf;
    std::map<int, int> coordOf;
    std::vector<TVector3> smooth;   // accumulated face normals of vertices that have none given
    std::vector<std::array<int, 3>> faces, texFaces;
    for (const auto &polygon : group.Polygons) {
        std::vector<int> v, t;
        for (const TCorner &c : polygon) {
            auto [it, added] = vertexOf.emplace(std::make_pair(c.V, c.N), int(vertexOf.size()));
            if (added)
                smooth.emplace_back();
            v.push_back(it->second);
            auto [ct, cadded] = coordOf.emplace(c.T, int(coordOf.size()));
            (void)cadded;
            t.push_back(ct->second);
        }
        for (std::size_t i = 1; i + 1 < polygon.size(); ++i) {
            faces.push_back({v[0], v[i], v[i + 1]});
            texFaces.push_back({t[0], t[i], t[i + 1]});
            const TVector3 a = Axes(Positions[std::size_t(polygon[0].V)]), b = Axes(Positions[std::size_t(polygon[i].V)]),
                           c = Axes(Positions[std::size_t(polygon[i + 1].V)]);
            const TVector3 n = VectorCross(VectorSubtract(b, a), VectorSubtract(c, a));
            for (const int k : {v[0], v[i], v[i + 1]})
                smooth[std::size_t(k)] = VectorSet3(smooth[std::size_t(k)].x + n.x, smooth[std::size_t(k)].y + n.y,
                                                    smooth[std::size_t(k)].z + n.z);
        }
    }
    std::vector<std::pair<int, int>> keys(vertexOf.size());
    for (const auto &[key, index] : vertexOf)
        keys[std::size_t(index)] = key;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const TVector3 normal = keys[i].second >= 0 ? Axes(Normals[std::size_t(keys[i].second)]) : smooth[i];
        mesh.Vertex(Axes(Positions[std::size_t(keys[i].first)]), normal);
    }
    std::vector<int> coords(coordOf.size());
    for (const auto &[obj, index] : coordOf)
        coords[std::size_t(index)] = obj;
    for (const int obj : coords)
        obj >= 0 ? mesh.TexCoord(Coords[std::size_t(obj)].x, 1 - Coords[std::size_t(obj)].y) : mesh.TexCoord(0, 0);
    for (std::size_t f = 0; f < faces.size(); ++f)
        mesh.Face(faces[f][0], faces[f][1], faces[f][2], texFaces[f][0], texFaces[f][1], texFaces[f][2]);
}

void TObjReader::ReadPointsFile(TModelBuilder &model)
{
    std::ifstream in(Options.PointsFile);
    if (!in)
        throw std::runtime_error("Cannot open the points file \"" + Options.PointsFile + "\"");
    Path = Options.PointsFile;
    Line = 0;
    for (std::string text; std::getline(in, text);) {
        ++Line;
        std::istringstream words(text.substr(0, text.find('#')));
        std::string name;
        if (!(words >> name))
            continue;
        TVector3 p;
        p.x = Number(words, "point");
        p.y = Number(words, "point");
        p.z = Number(words, "point");
        model.AddPoint(name, Axes(p));
    }
}

TModelBuilder TObjReader::Read()
{
    std::ifstream in(Path);
    if (!in)
        throw std::runtime_error("Cannot open \"" + Path + "\"");
    for (std::string text; std::getline(in, text);) {
        ++Line;
        std::istringstream words(text.substr(0, text.find('#')));
        std::string kind;
        if (!(words >> kind))
            continue;
        if (kind == "v") {
            TVector3 p;
            p.x = Number(words, "vertex");
            p.y = Number(words, "vertex");
            p.z = Number(words, "vertex");
            Positions.push_back(p);
            if (HaveCurrent)
                Groups[Current].OwnVertices.push_back(int(Positions.size()) - 1);
        } else if (kind == "vt") {
            TPoint2 t;
            t.x = Number(words, "texture coordinate");
            if (words >> std::ws && !words.eof())
                t.y = Number(words, "texture coordinate");
            Coords.push_back(t);
        } else if (kind == "vn") {
            TVector3 n;
            n.x = Number(words, "normal");
            n.y = Number(words, "normal");
            n.z = Number(words, "normal");
            Normals.push_back(n);
        } else if (kind == "g" || kind == "o") {
            std::string name;
            if (!(words >> name))
                name = "default";
            Open(name);
        } else if (kind == "f") {
            std::vector<TCorner> polygon;
            for (std::string corner; words >> corner;)
                polygon.push_back(Corner(corner));
            if (polygon.size() < 3)
                Fail("a face needs at least three corners");
            (HaveCurrent ? Groups[Current] : Open("default")).Polygons.push_back(std::move(polygon));
        } else if (kind == "p") {
            TGroup &group = HaveCurrent ? Groups[Current] : Open("default");
            for (std::string v; words >> v;)
                group.PointVertices.push_back(Index(v, Positions.size(), "vertex"));
        }
        // Materials, smoothing groups and lines carry nothing the game reads.
    }

    TModelBuilder model(1, 10);
    for (const TGroup &group : Groups) {
        if (!group.Polygons.empty()) {
            BuildMesh(model, group);
            continue;
        }
        const std::vector<int> &marks = group.PointVertices.empty() ? group.OwnVertices : group.PointVertices;
        if (marks.empty())
            continue;   // an empty group with nothing to place, as exporters write for unused names
        TVector3 sum;
        for (const int v : marks)
            sum = VectorSet3(sum.x + Positions[std::size_t(v)].x, sum.y + Positions[std::size_t(v)].y,
                             sum.z + Positions[std::size_t(v)].z);
        model.AddPoint(group.Name, Axes(VectorScale(sum, 1.0f / float(marks.size()))));
    }
    if (!Options.PointsFile.empty())
        ReadPointsFile(model);
    return model;
}

} // namespace

TModelBuilder ImportObj(const std::string &path, const TObjOptions &options)
{
    return TObjReader(path, options).Read();
}
