// Bright at the grazing edges, faint where it faces the eye, with bands of energy running over it.

uniform float Shift;   // grows by 5 a second

varying vec3 Normal;
varying vec3 ToEye;
varying vec3 Local;
varying float Low;

const vec3 Energy = vec3(0.35, 0.65, 1.0);

void main()
{
    float facing = abs(dot(normalize(Normal), normalize(ToEye)));
    float rim = pow(1.0 - facing, 2.5);
    float band = 0.5 + 0.5 * sin(Local.z * 0.9 + Local.x * 0.3 - Shift);
    band = band * band;
    vec3 colour = Energy * (0.6 + 0.6 * rim + 0.4 * band) * gl_Color.rgb;
    // A touch of sea green when flying low.
    colour = mix(colour, colour * vec3(0.8, 1.1, 0.9), Low * 0.3);
    float alpha = clamp(0.12 + 0.7 * rim + 0.2 * band, 0.0, 1.0) * gl_Color.a;
    gl_FragColor = vec4(colour, alpha);
}
