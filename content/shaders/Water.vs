// The sea's ripple pattern, drawn into the distortion image of the reflection.

varying vec2 Ground;   // the point of the sea, in world units

void main()
{
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    gl_ClipVertex = gl_ModelViewMatrix * gl_Vertex;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    Ground = gl_Vertex.xy;
}
