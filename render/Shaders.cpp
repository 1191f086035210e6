#include "render/Shaders.h"

#include "core/Log.h"
#include "core/View.h"
#include "data/Config.h"
#include "data/Extractor.h"
#include "render/GLExt.h"

#include <stdexcept>
#include <vector>

TShaderObject *CurrentProgram = nullptr;

namespace {

// The player's shaders option; without a configuration (tools, tests) shaders count as on.
bool ShadersOption() { return !Config || Config->Shaders; }

// The compiler's or linker's message for an object; empty when it has nothing to say (a message of
// one character is only the terminating zero some drivers count).
std::string InfoLog(GLhandleARB object)
{
    GLint length = 0;
    GLExt::glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length < 2)
        return {};
    std::vector<GLcharARB> text(std::size_t(length) + 1, 0);
    GLsizei written = 0;
    GLExt::glGetInfoLogARB(object, length, &written, text.data());
    return std::string(text.data(), std::size_t(written > 0 ? written : 0));
}

// Compiles one stage from a data file. A stage that does not compile is fatal: the caller sees the
// file and the compiler's message.
GLhandleARB BuildShader(const std::string &file, GLenum kind)
{
    LogWrite("Make Shaders. " + file);
    std::string source;
    {
        const TMemFile data(file, Extractor);
        source.assign(data.Data.begin(), data.Data.end());
    }
    const std::string text = ShaderSourceText(GLVendor, source);
    const GLhandleARB shader = GLExt::glCreateShaderObjectARB(kind);
    const GLcharARB *strings[] = {text.c_str()};
    const GLint lengths[] = {GLint(text.size())};
    GLExt::glShaderSourceARB(shader, 1, strings, lengths);
    GLExt::glCompileShaderARB(shader);
    GLint compiled = 0;
    GLExt::glGetObjectParameterivARB(shader, GL_OBJECT_COMPILE_STATUS_ARB, &compiled);
    const std::string log = InfoLog(shader);
    if (!log.empty())
        LogWrite(log);
    if (compiled != 1) {
        GLExt::glDeleteObjectARB(shader);
        throw std::runtime_error(file + " contains errors!\n" + log);
    }
    return shader;
}

bool Present(const std::string &file) { return !file.empty() && DataFileExists(file); }

} // namespace

std::string VendorDefine(std::string_view upperVendor)
{
    if (upperVendor == "ATI TECHNOLOGIES INC.")
        return "#define VENDOR_ATI";
    if (upperVendor == "NVIDIA CORPORATION")
        return "#define VENDOR_NVIDIA";
    return "#define VENDOR_UNKNOWN";
}

std::string ShaderSourceText(std::string_view upperVendor, std::string_view source)
{
    std::string text = VendorDefine(upperVendor);
    // Lines end in CR LF, a lone LF or a lone CR; a line end after the last line adds no empty line.
    std::size_t at = 0;
    while (at < source.size()) {
        std::size_t end = at;
        while (end < source.size() && source[end] != '\r' && source[end] != '\n')
            ++end;
        text += "\r\n";
        text.append(source.substr(at, end - at));
        if (end < source.size() && source[end] == '\r' && end + 1 < source.size() && source[end + 1] == '\n')
            ++end;
        at = end + 1;
    }
    return text;
}

float FourSecondScale()
{
    const std::int64_t phase = ((GameClock % 4000) + 4000) % 4000;
    return float(phase) / 4000.0f;
}

// ---- The program ------------------------------------------------------------------------------

TShaderObject::~TShaderObject()
{
    if (CurrentProgram == this)
        CurrentProgram = nullptr;
    // Programs that failed to link are deleted too: their objects exist all the same.
    if (!ShadersAvailable)
        return;
    for (unsigned object : {FragmentShader, VertexShader, Program})
        if (object)
            GLExt::glDeleteObjectARB(object);
}

void TShaderObject::Create(const std::string &fragmentFile, const std::string &vertexFile)
{
    Valid = false;
    if (!ShadersAvailable || !ShadersOption())
        return;
    // A program built again replaces the old one.
    if (CurrentProgram == this)
        UseNone();
    for (unsigned *object : {&FragmentShader, &VertexShader, &Program}) {
        if (*object)
            GLExt::glDeleteObjectARB(*object);
        *object = 0;
    }
    HasFragment = Present(fragmentFile);
    HasVertex = Present(vertexFile);
    Program = GLExt::glCreateProgramObjectARB();
    try {
        if (HasFragment) {
            FragmentShader = BuildShader(fragmentFile, GL_FRAGMENT_SHADER_ARB);
            GLExt::glAttachObjectARB(Program, FragmentShader);
        }
        if (HasVertex) {
            VertexShader = BuildShader(vertexFile, GL_VERTEX_SHADER_ARB);
            GLExt::glAttachObjectARB(Program, VertexShader);
        }
    } catch (...) {
        // Nothing half-built is left behind for the destructor.
        for (unsigned *object : {&FragmentShader, &Program}) {
            if (*object)
                GLExt::glDeleteObjectARB(*object);
            *object = 0;
        }
        throw;
    }
    LogWrite("Link Shaders.");
    GLExt::glLinkProgramARB(Program);
    GLint linked = 0;
    GLExt::glGetObjectParameterivARB(Program, GL_OBJECT_LINK_STATUS_ARB, &linked);
    // A compatibility driver may link an empty program (it stands for the fixed pipeline); a
    // program without a single stage of ours is no use to its owner all the same.
    Valid = linked == 1 && (HasFragment || HasVertex);
    const std::string log = InfoLog(Program);
    if (!log.empty())
        LogWrite(log);
}

bool TShaderObject::IsUsable() const { return ShadersAvailable && ShadersOption() && Valid; }

bool TShaderObject::Use()
{
    if (!IsUsable())
        return false;
    if (CurrentProgram != this) {
        GLExt::glUseProgramObjectARB(Program);
        CurrentProgram = this;
    }
    return true;
}

void TShaderObject::Stop()
{
    // The check is on the driver rather than this program: a program left current when the option
    // was switched off must still be unbound, or the fixed-function drawing that follows would go
    // through it.
    if (ShadersAvailable && CurrentProgram)
        GLExt::glUseProgramObjectARB(0);
    CurrentProgram = nullptr;
}

int TShaderObject::Uniform(const char *name) const
{
    return Valid ? GLExt::glGetUniformLocationARB(Program, name) : -1;
}

void UseNone()
{
    if (ShadersAvailable)
        GLExt::glUseProgramObjectARB(0);
    CurrentProgram = nullptr;
}

namespace {

void SetEye(int location) { GLExt::glUniform3fARB(location, EyePosition.x, EyePosition.y, EyePosition.z); }

} // namespace

// ---- Objects ----------------------------------------------------------------------------------

void TObjectsShader::Create(const std::string &fragmentFile, const std::string &vertexFile)
{
    TShaderObject::Create(fragmentFile, vertexFile);
    LightingLocation = Uniform("Lighting");
    ClippingLocation = Uniform("Clipping");
}

bool TObjectsShader::Use()
{
    if (!TShaderObject::Use())
        return false;
    GLExt::glUniform1fARB(LightingLocation, 1.0f);
    GLExt::glUniform1iARB(ClippingLocation, Clipping ? 1 : 0);
    return true;
}

// Uniforms belong to the program in use: a value set while another program is current would land
// in that one. While this one is not current, the next Use sets them anyway.
void TObjectsShader::SetLighting(bool on)
{
    // "Lighting" is a float in the sources, as Use sets it: an integer call on a float uniform is
    // refused by the driver.
    if (IsUsable() && CurrentProgram == this)
        GLExt::glUniform1fARB(LightingLocation, on ? 1.0f : 0.0f);
}

void TObjectsShader::SetClipping(bool on)
{
    Clipping = on;
    if (IsUsable() && CurrentProgram == this)
        GLExt::glUniform1iARB(ClippingLocation, on ? 1 : 0);
}

// ---- Clouds -----------------------------------------------------------------------------------

void TCloudsShader::Create(const std::string &fragmentFile, const std::string &vertexFile)
{
    TShaderObject::Create(fragmentFile, vertexFile);
    ShiftLocation = Uniform("Shift");
    EyeLocation = Uniform("EyePosition");
}

bool TCloudsShader::Use()
{
    if (!TShaderObject::Use())
        return false;
    SetEye(EyeLocation);
    return true;
}

void TCloudsShader::SetShift(float shift)
{
    if (IsUsable() && CurrentProgram == this)
        GLExt::glUniform1fARB(ShiftLocation, shift);
}

// ---- Mega bomb --------------------------------------------------------------------------------

void TMegaBombShader::Create(const std::string &fragmentFile, const std::string &vertexFile)
{
    TShaderObject::Create(fragmentFile, vertexFile);
    Texture1Location = Uniform("texture1");
    Texture2Location = Uniform("texture2");
    ScaleLocation = Uniform("scale");
}

bool TMegaBombShader::Use()
{
    if (!TShaderObject::Use())
        return false;
    GLExt::glUniform1iARB(Texture1Location, 0);
    GLExt::glUniform1iARB(Texture2Location, 1);
    GLExt::glUniform1fARB(ScaleLocation, FourSecondScale());
    return true;
}

// ---- Player and shield ------------------------------------------------------------------------

void TPlayerShader::Create(const std::string &fragmentFile, const std::string &vertexFile)
{
    TShaderObject::Create(fragmentFile, vertexFile);
    ViewLocation = Uniform("vViewPosition");
}

bool TPlayerShader::Use()
{
    if (!TShaderObject::Use())
        return false;
    SetEye(ViewLocation);
    return true;
}

void TShieldShader::Create(const std::string &fragmentFile, const std::string &vertexFile)
{
    TShaderObject::Create(fragmentFile, vertexFile);
    ViewLocation = Uniform("vViewPosition");
    ShiftLocation = Uniform("Shift");
}

bool TShieldShader::Use()
{
    if (!TShaderObject::Use())
        return false;
    GLExt::glUniform1fARB(ShiftLocation, float(GameClock) / 200.0f);
    SetEye(ViewLocation);
    return true;
}

// ---- Haze, water and bloom --------------------------------------------------------------------

void THazeShader::Create(const std::string &fragmentFile, const std::string &vertexFile)
{
    TShaderObject::Create(fragmentFile, vertexFile);
    TextureLocation = Uniform("texture");
    NoiseLocation = Uniform("noise");
}

bool THazeShader::Use()
{
    if (!TShaderObject::Use())
        return false;
    GLExt::glUniform1iARB(TextureLocation, 0);
    GLExt::glUniform1iARB(NoiseLocation, 1);
    return true;
}

void TWaterShader::Create(const std::string &fragmentFile, const std::string &vertexFile)
{
    TShaderObject::Create(fragmentFile, vertexFile);
    Texture1Location = Uniform("texture1");
    Texture2Location = Uniform("texture2");
    ScaleLocation = Uniform("scale");
    EyeLocation = Uniform("EyePosition");
}

bool TWaterShader::Use()
{
    if (!TShaderObject::Use())
        return false;
    GLExt::glUniform1iARB(Texture1Location, 0);
    GLExt::glUniform1iARB(Texture2Location, 1);
    GLExt::glUniform1fARB(ScaleLocation, FourSecondScale());
    SetEye(EyeLocation);
    return true;
}

void TBloomShader::Create(const std::string &fragmentFile, const std::string &vertexFile)
{
    TShaderObject::Create(fragmentFile, vertexFile);
    TextureLocation = Uniform("texture");
    BloomLocation = Uniform("bloom");
}

bool TBloomShader::Use()
{
    if (!TShaderObject::Use())
        return false;
    GLExt::glUniform1iARB(TextureLocation, 0);
    GLExt::glUniform1iARB(BloomLocation, 1);
    return true;
}
