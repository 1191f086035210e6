// Buildings, ships and aircraft: the sun's light worked out per vertex, the distance for the fog,
// and the eye-space position for the user clip plane that cuts the mirrored world at the sea.

uniform float Lighting;   // 1: lit by the sun; 0: the plain vertex colour
uniform int Clipping;     // 1 while the mirrored world is drawn

varying vec4 Colour;
varying float FogFactor;

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    // Clip plane 0 is on only for the mirrored pass (Clipping is 1 then). Writing the eye position
    // every time is harmless while the plane is off, and a vertex shader that left it out would make
    // user clipping undefined.
    gl_ClipVertex = eye;
    gl_TexCoord[0] = gl_MultiTexCoord0;

    Colour = gl_Color;
    if (Lighting > 0.5) {
        vec3 normal = normalize(gl_NormalMatrix * gl_Normal);
        vec4 sun = gl_LightSource[0].position;
        vec3 toSun = sun.w == 0.0 ? normalize(sun.xyz) : normalize(sun.xyz - eye.xyz);
        float diffuse = max(dot(normal, toSun), 0.0);
        vec3 light = gl_LightSource[0].ambient.rgb + diffuse * gl_LightSource[0].diffuse.rgb;
        Colour.rgb = gl_Color.rgb * min(light, vec3(1.0));
    }

    // Linear fog on the eye distance, as the fixed pipeline does it.
    FogFactor = clamp((gl_Fog.end - abs(eye.z)) * gl_Fog.scale, 0.0, 1.0);
}
