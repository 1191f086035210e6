// Two blast images blended over a 4-second cycle.

uniform sampler2D texture1;   // unit 0
uniform sampler2D texture2;   // unit 1
uniform float scale;          // 0 .. 1 through the cycle

void main()
{
    vec2 uv = gl_TexCoord[0].st;
    gl_FragColor = mix(texture2D(texture1, uv), texture2D(texture2, uv), scale) * gl_Color;
}
