uniform sampler2D Texture;   // unit 0

varying float Thickness;

void main()
{
    vec4 cloud = texture2D(Texture, gl_TexCoord[0].st) * gl_Color;
    gl_FragColor = vec4(cloud.rgb, cloud.a * Thickness);
}
