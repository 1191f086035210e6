#pragma once
// GLSL programs, each built from a fragment and a vertex source under "Data\Shaders\". Every source
// is compiled with one line in front naming the driver's maker ("#define VENDOR_ATI",
// "#define VENDOR_NVIDIA" or "#define VENDOR_UNKNOWN"). A program is used only while the driver has
// shader objects, the player has shaders switched on and the program linked; otherwise the caller
// draws with the fixed-function pipeline.

#include <string>
#include <string_view>

class TShaderObject {
public:
    TShaderObject() = default;
    virtual ~TShaderObject();   // deletes the GL objects of a program that linked
    TShaderObject(const TShaderObject &) = delete;
    TShaderObject &operator=(const TShaderObject &) = delete;

    // Builds the program from two full game paths (either may be empty). Nothing happens unless the
    // driver has shaders and the shaders option is on. A file that neither the archive nor the disk
    // has is left out. Logs "Make Shaders. " + file per stage and "Link Shaders." with the
    // compiler's and linker's messages. A stage that does not compile throws std::runtime_error
    // with file + " contains errors!" + "\n" + the compiler's message. A link failure leaves the
    // program invalid.
    virtual void Create(const std::string &fragmentFile, const std::string &vertexFile);
    // Makes the program current (switching only when another one is) and sets the uniforms of the
    // subclass; false when it cannot be used.
    virtual bool Use();
    // Back to the fixed-function pipeline when this program is usable and a program is current.
    void Stop();
    // Shaders available, the option on and the program linked.
    bool IsUsable() const;

    unsigned FragmentShader = 0, VertexShader = 0, Program = 0;
    bool     HasFragment = false, HasVertex = false, Valid = false;

protected:
    // The location of a uniform of the linked program; -1 when invalid or absent.
    int Uniform(const char *name) const;
};

// The program in use; null for none.
extern TShaderObject *CurrentProgram;
// Back to the fixed-function pipeline, whatever program was current.
void UseNone();

// The define line for an upper-cased vendor string.
std::string VendorDefine(std::string_view upperVendor);
// The text handed to the compiler: the vendor define line, then every line of Source, all joined
// with CR LF.
std::string ShaderSourceText(std::string_view upperVendor, std::string_view source);

// Lit and textured objects; the reflection pass clips them at the sea.
class TObjectsShader : public TShaderObject {
public:
    void Create(const std::string &fragmentFile, const std::string &vertexFile) override;
    bool Use() override;                 // "Lighting" = 1.0, "Clipping" = the stored flag
    void SetLighting(bool on);           // "Lighting" while usable
    void SetClipping(bool on);           // stores the flag; sets "Clipping" while usable
    bool Clipping = false;
    int  LightingLocation = -1, ClippingLocation = -1;
};

// The scrolling cloud layer.
class TCloudsShader : public TShaderObject {
public:
    void Create(const std::string &fragmentFile, const std::string &vertexFile) override;
    bool Use() override;                 // "EyePosition"
    void SetShift(float shift);          // "Shift" while usable
    int  ShiftLocation = -1, EyeLocation = -1;
};

// The mega bomb's blast: two textures blended over a 4-second cycle.
class TMegaBombShader : public TShaderObject {
public:
    void Create(const std::string &fragmentFile, const std::string &vertexFile) override;
    bool Use() override;                 // "texture1" = 0, "texture2" = 1, "scale"
    int  Texture1Location = -1, Texture2Location = -1, ScaleLocation = -1;
};

// The player aircraft's skin.
class TPlayerShader : public TShaderObject {
public:
    void Create(const std::string &fragmentFile, const std::string &vertexFile) override;
    bool Use() override;                 // "vViewPosition"
    int  ViewLocation = -1;
};

// The ion gun's shield around the player aircraft.
class TShieldShader : public TShaderObject {
public:
    void Create(const std::string &fragmentFile, const std::string &vertexFile) override;
    bool Use() override;                 // "Shift" = game clock / 200, "vViewPosition"
    int  ViewLocation = -1, ShiftLocation = -1;
};

// The heat-haze composite: the scene displaced by a distortion image (grey 0.5 moves nothing).
class THazeShader : public TShaderObject {
public:
    void Create(const std::string &fragmentFile, const std::string &vertexFile) override;
    bool Use() override;                 // "texture" = 0, "noise" = 1
    int  TextureLocation = -1, NoiseLocation = -1;
};

// The sea's ripple: blends one noise texture into the next.
class TWaterShader : public TShaderObject {
public:
    void Create(const std::string &fragmentFile, const std::string &vertexFile) override;
    bool Use() override;                 // "texture1" = 0, "texture2" = 1, "scale", "EyePosition"
    int  Texture1Location = -1, Texture2Location = -1, ScaleLocation = -1, EyeLocation = -1;
};

// The bloom composite: the scene plus its brightened, blurred highlights.
class TBloomShader : public TShaderObject {
public:
    void Create(const std::string &fragmentFile, const std::string &vertexFile) override;
    bool Use() override;                 // "texture" = 0, "bloom" = 1
    int  TextureLocation = -1, BloomLocation = -1;
};

// (game clock mod 4000) / 4000: where the water and the mega bomb are in their 4-second blend.
float FourSecondScale();
