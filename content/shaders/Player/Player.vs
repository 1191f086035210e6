// The player's aircraft: per-pixel sun light with a glossy highlight and a rim of sky light.

uniform vec3 vViewPosition;   // the eye, in world units

varying vec3 Normal;     // eye space
varying vec3 ToEye;      // eye space
varying vec3 ToSun;      // eye space
varying float FogFactor;
varying float Low;       // 1 when the eye skims the sea, 0 from 3000 units up

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    gl_ClipVertex = eye;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_FrontColor = gl_Color;

    Normal = gl_NormalMatrix * gl_Normal;
    ToEye = -eye.xyz;
    vec4 sun = gl_LightSource[0].position;
    ToSun = sun.w == 0.0 ? sun.xyz : sun.xyz - eye.xyz;
    FogFactor = clamp((gl_Fog.end - abs(eye.z)) * gl_Fog.scale, 0.0, 1.0);
    Low = clamp(1.0 - vViewPosition.z / 3000.0, 0.0, 1.0);
}
