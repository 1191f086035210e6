// The scene plus the bright parts of its blurred copy: highlights glow, dark and middle tones stay
// as they are.

uniform sampler2D texture;   // unit 0: the scene
uniform sampler2D bloom;     // unit 1: the scene shrunk and smoothly enlarged again

const float Threshold = 0.7;   // the brightness (luminance) where the glow starts
const float Gain = 1.2;

void main()
{
    vec2 uv = gl_TexCoord[0].st;
    vec3 scene = texture2D(texture, uv).rgb;
    vec3 blurred = texture2D(bloom, uv).rgb;
    float brightness = dot(blurred, vec3(0.3, 0.59, 0.11));
    vec3 glow = blurred * (max(brightness - Threshold, 0.0) / (1.0 - Threshold) * Gain);
    gl_FragColor = vec4(scene + glow, 1.0);
}
