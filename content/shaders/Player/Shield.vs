// The ion gun's shield: a translucent shell around the aircraft.

uniform vec3 vViewPosition;   // the eye, in world units

varying vec3 Normal;   // eye space
varying vec3 ToEye;    // eye space
varying vec3 Local;    // the model's own coordinates, for the bands
varying float Low;

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    gl_ClipVertex = eye;
    gl_FrontColor = gl_Color;
    Normal = gl_NormalMatrix * gl_Normal;
    ToEye = -eye.xyz;
    Local = gl_Vertex.xyz;
    Low = clamp(1.0 - vViewPosition.z / 3000.0, 0.0, 1.0);
}
