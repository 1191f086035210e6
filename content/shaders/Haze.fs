// The scene displaced by the distortion image: grey 0.5 moves nothing, lighter or darker red and
// green push the picture sideways and up or down.

uniform sampler2D texture;   // unit 0: the scene
uniform sampler2D noise;     // unit 1: the distortion image

const float Strength = 0.05;

void main()
{
    vec2 uv = gl_TexCoord[0].st;
    vec2 push = texture2D(noise, uv).rg - vec2(0.5);
    // An 8-bit grey of 0.5 reads as 128/255: that tiny remainder must not move the picture.
    push *= step(vec2(0.003), abs(push));
    gl_FragColor = vec4(texture2D(texture, uv + push * Strength).rgb, 1.0);
}
