// The cloud layer: the texture slides by Shift, and the clouds thin out towards the horizon.

uniform float Shift;
uniform vec3 EyePosition;

varying float Thickness;

void main()
{
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    gl_ClipVertex = gl_ModelViewMatrix * gl_Vertex;
    gl_TexCoord[0] = gl_MultiTexCoord0 + vec4(Shift, 0.0, 0.0, 0.0);
    gl_FrontColor = gl_Color;

    // The sky is drawn twice its size around the point of the sea below the eye, so the way from
    // the eye to this vertex is the vertex doubled less the eye's height.
    vec3 way = 2.0 * gl_Vertex.xyz - vec3(0.0, 0.0, EyePosition.z);
    float elevation = way.z / max(length(way), 0.001);
    Thickness = smoothstep(0.0, 0.25, elevation);
}
