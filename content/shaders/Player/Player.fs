uniform sampler2D Texture;   // unit 0: the skin

varying vec3 Normal;
varying vec3 ToEye;
varying vec3 ToSun;
varying float FogFactor;
varying float Low;

const vec3 SkyRim = vec3(0.55, 0.7, 0.85);
const vec3 SeaRim = vec3(0.2, 0.45, 0.55);

void main()
{
    vec3 n = normalize(Normal);
    vec3 v = normalize(ToEye);
    vec3 l = normalize(ToSun);
    vec4 skin = texture2D(Texture, gl_TexCoord[0].st) * gl_Color;

    float diffuse = max(dot(n, l), 0.0);
    vec3 light = min(gl_LightSource[0].ambient.rgb + diffuse * gl_LightSource[0].diffuse.rgb, vec3(1.0));
    float gloss = diffuse > 0.0 ? pow(max(dot(reflect(-l, n), v), 0.0), 24.0) : 0.0;
    float rim = pow(1.0 - max(dot(n, v), 0.0), 3.0);
    // Close over the sea the edges catch its colour rather than the sky's.
    vec3 rimColour = mix(SkyRim, SeaRim, Low * 0.6);

    vec3 colour = skin.rgb * light + gloss * 0.35 * gl_LightSource[0].specular.rgb + rim * 0.25 * rimColour;
    gl_FragColor = vec4(mix(gl_Fog.color.rgb, colour, FogFactor), skin.a);
}
