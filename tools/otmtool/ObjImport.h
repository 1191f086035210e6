#pragma once
// Wavefront OBJ to ".otm": each group or object with faces becomes a mesh of that name; a group
// with no faces becomes a named point, placed at the mean of its "p" elements or, without any, of
// the vertices listed after its "g"/"o" line. Texture v is turned over (OBJ counts it from the
// bottom of the image, the game from the top). Missing normals are smoothed from the faces.

#include "tools/modelgen/ModelBuilder.h"

#include <string>

struct TObjOptions {
    bool        YUp = false;      // the file's up axis is y (as most modelling programs write it)
    float       Scale = 1;        // applied to every position
    std::string PointsFile;       // optional: lines "Name x y z" in the OBJ's own axes and units
};

// Reads the OBJ file (and the points file) into a builder with one frame. Throws std::runtime_error
// naming the file and line of the first fault.
TModelBuilder ImportObj(const std::string &path, const TObjOptions &options);
