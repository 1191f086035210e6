// One noise image blending into the next; the result stays near grey 0.5 so the reflection only
// wobbles, and the wobble dies away with distance so the far sea does not shimmer.

uniform sampler2D texture1;   // unit 0: the next noise image
uniform sampler2D texture2;   // unit 1: the current one
uniform float scale;          // 0 .. 1 over four seconds
uniform vec3 EyePosition;

varying vec2 Ground;

const float Strength = 0.6;
const float FadeDistance = 9000.0;

void main()
{
    vec2 uv = gl_TexCoord[0].st;
    vec4 noise = mix(texture2D(texture2, uv), texture2D(texture1, uv), scale);
    float nearness = 1.0 - clamp(distance(Ground, EyePosition.xy) / FadeDistance, 0.0, 1.0);
    vec3 ripple = vec3(0.5) + (noise.rgb - vec3(0.5)) * Strength * nearness;
    gl_FragColor = vec4(ripple, 1.0);
}
