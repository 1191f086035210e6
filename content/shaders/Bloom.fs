// The scene plus the bright parts of its blurred copy: highlights glow, dark areas stay as they are.

uniform sampler2D texture;   // unit 0: the scene
uniform sampler2D bloom;     // unit 1: the scene shrunk and smoothly enlarged again

const float Threshold = 0.6;
const float Gain = 1.5;

void main()
{
    vec2 uv = gl_TexCoord[0].st;
    vec3 scene = texture2D(texture, uv).rgb;
    vec3 glow = max(texture2D(bloom, uv).rgb - vec3(Threshold), vec3(0.0)) * Gain;
    gl_FragColor = vec4(scene + glow, 1.0);
}
