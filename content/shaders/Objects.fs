// The object's texture times its (lit) colour; the colour's alpha fades distant objects out.

uniform sampler2D Texture;   // unit 0

varying vec4 Colour;
varying float FogFactor;

void main()
{
    vec4 colour = texture2D(Texture, gl_TexCoord[0].st) * Colour;
    gl_FragColor = vec4(mix(gl_Fog.color.rgb, colour.rgb, FogFactor), colour.a);
}
