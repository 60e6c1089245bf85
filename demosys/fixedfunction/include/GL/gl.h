// OpenGL 1.1 for a build over the fixed-function layer (ZARNOVELT_GLES): the types and constants
// of OpenGL 1.1 and the extensions the code base uses, and every GL name it calls mapped to the
// layer's own function of a distinct name (glEnable is FfglEnable). No symbol named like a real
// GL function is declared or defined here, so the layer never clashes with a driver's library;
// it reaches OpenGL ES only through the table FixedFunctionLoad fills.
#ifndef ZARNOVELT_FIXEDFUNCTION_GL_H
#define ZARNOVELT_FIXEDFUNCTION_GL_H

// OpenGL ES 3 for the types and the constants the two share; no prototypes.
#ifndef GL_GLES_PROTOTYPES
#define GL_GLES_PROTOTYPES 0
#endif
#include <GLES3/gl3.h>

typedef double GLdouble;
typedef double GLclampd;

#define GL_VERSION_1_1 1

// Primitives OpenGL ES lacks
#define GL_QUADS 0x0007
#define GL_QUAD_STRIP 0x0008
#define GL_POLYGON 0x0009

// Attribute groups
#define GL_CURRENT_BIT 0x00000001
#define GL_POINT_BIT 0x00000002
#define GL_LINE_BIT 0x00000004
#define GL_POLYGON_BIT 0x00000008
#define GL_POLYGON_STIPPLE_BIT 0x00000010
#define GL_PIXEL_MODE_BIT 0x00000020
#define GL_LIGHTING_BIT 0x00000040
#define GL_FOG_BIT 0x00000080
#define GL_ACCUM_BUFFER_BIT 0x00000200
#define GL_VIEWPORT_BIT 0x00000800
#define GL_TRANSFORM_BIT 0x00001000
#define GL_ENABLE_BIT 0x00002000
#define GL_HINT_BIT 0x00008000
#define GL_EVAL_BIT 0x00010000
#define GL_LIST_BIT 0x00020000
#define GL_TEXTURE_BIT 0x00040000
#define GL_SCISSOR_BIT 0x00080000
#define GL_ALL_ATTRIB_BITS 0x000FFFFF
#define GL_CLIENT_PIXEL_STORE_BIT 0x00000001
#define GL_CLIENT_VERTEX_ARRAY_BIT 0x00000002
#define GL_CLIENT_ALL_ATTRIB_BITS 0xFFFFFFFF
#define GL_ATTRIB_STACK_DEPTH 0x0BB0
#define GL_CLIENT_ATTRIB_STACK_DEPTH 0x0BB1
#define GL_MAX_ATTRIB_STACK_DEPTH 0x0D35
#define GL_MAX_CLIENT_ATTRIB_STACK_DEPTH 0x0D3B

// Errors OpenGL ES lacks
#define GL_STACK_OVERFLOW 0x0503
#define GL_STACK_UNDERFLOW 0x0504

// Matrices
#define GL_MATRIX_MODE 0x0BA0
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_TEXTURE 0x1702
#define GL_MODELVIEW_STACK_DEPTH 0x0BA3
#define GL_PROJECTION_STACK_DEPTH 0x0BA4
#define GL_TEXTURE_STACK_DEPTH 0x0BA5
#define GL_MODELVIEW_MATRIX 0x0BA6
#define GL_PROJECTION_MATRIX 0x0BA7
#define GL_TEXTURE_MATRIX 0x0BA8
#define GL_MAX_MODELVIEW_STACK_DEPTH 0x0D36
#define GL_MAX_PROJECTION_STACK_DEPTH 0x0D38
#define GL_MAX_TEXTURE_STACK_DEPTH 0x0D39
#define GL_NORMALIZE 0x0BA1
#define GL_RESCALE_NORMAL 0x803A
#define GL_CLIP_PLANE0 0x3000
#define GL_CLIP_PLANE1 0x3001

// Current values
#define GL_CURRENT_COLOR 0x0B00
#define GL_CURRENT_INDEX 0x0B01
#define GL_CURRENT_NORMAL 0x0B02
#define GL_CURRENT_TEXTURE_COORDS 0x0B03
#define GL_CURRENT_RASTER_COLOR 0x0B04
#define GL_CURRENT_RASTER_POSITION 0x0B07
#define GL_CURRENT_RASTER_POSITION_VALID 0x0B08
#define GL_EDGE_FLAG 0x0B43

// Lighting
#define GL_LIGHTING 0x0B50
#define GL_LIGHT_MODEL_LOCAL_VIEWER 0x0B51
#define GL_LIGHT_MODEL_TWO_SIDE 0x0B52
#define GL_LIGHT_MODEL_AMBIENT 0x0B53
#define GL_SHADE_MODEL 0x0B54
#define GL_COLOR_MATERIAL_FACE 0x0B55
#define GL_COLOR_MATERIAL_PARAMETER 0x0B56
#define GL_COLOR_MATERIAL 0x0B57
#define GL_LIGHT0 0x4000
#define GL_LIGHT1 0x4001
#define GL_LIGHT2 0x4002
#define GL_LIGHT3 0x4003
#define GL_LIGHT4 0x4004
#define GL_LIGHT5 0x4005
#define GL_LIGHT6 0x4006
#define GL_LIGHT7 0x4007
#define GL_MAX_LIGHTS 0x0D31
#define GL_AMBIENT 0x1200
#define GL_DIFFUSE 0x1201
#define GL_SPECULAR 0x1202
#define GL_POSITION 0x1203
#define GL_SPOT_DIRECTION 0x1204
#define GL_SPOT_EXPONENT 0x1205
#define GL_SPOT_CUTOFF 0x1206
#define GL_CONSTANT_ATTENUATION 0x1207
#define GL_LINEAR_ATTENUATION 0x1208
#define GL_QUADRATIC_ATTENUATION 0x1209
#define GL_EMISSION 0x1600
#define GL_SHININESS 0x1601
#define GL_AMBIENT_AND_DIFFUSE 0x1602
#define GL_COLOR_INDEXES 0x1603
#define GL_FLAT 0x1D00
#define GL_SMOOTH 0x1D01

// Fog
#define GL_FOG 0x0B60
#define GL_FOG_INDEX 0x0B61
#define GL_FOG_DENSITY 0x0B62
#define GL_FOG_START 0x0B63
#define GL_FOG_END 0x0B64
#define GL_FOG_MODE 0x0B65
#define GL_FOG_COLOR 0x0B66
#define GL_EXP 0x0800
#define GL_EXP2 0x0801

// Hints
#define GL_PERSPECTIVE_CORRECTION_HINT 0x0C50
#define GL_POINT_SMOOTH_HINT 0x0C51
#define GL_LINE_SMOOTH_HINT 0x0C52
#define GL_POLYGON_SMOOTH_HINT 0x0C53
#define GL_FOG_HINT 0x0C54

// Rasterisation
#define GL_POINT_SMOOTH 0x0B10
#define GL_POINT_SIZE 0x0B11
#define GL_LINE_SMOOTH 0x0B20
#define GL_LINE_STIPPLE 0x0B24
#define GL_POINT 0x1B00
#define GL_LINE 0x1B01
#define GL_FILL 0x1B02
#define GL_POLYGON_MODE 0x0B40
#define GL_POLYGON_SMOOTH 0x0B41
#define GL_POLYGON_STIPPLE 0x0B42
#define GL_POLYGON_OFFSET_POINT 0x2A01
#define GL_POLYGON_OFFSET_LINE 0x2A02
#define GL_ALPHA_TEST 0x0BC0
#define GL_ALPHA_TEST_FUNC 0x0BC1
#define GL_ALPHA_TEST_REF 0x0BC2
#define GL_INDEX_LOGIC_OP 0x0BF1
#define GL_LOGIC_OP 0x0BF1
#define GL_COLOR_LOGIC_OP 0x0BF2
#define GL_AUTO_NORMAL 0x0D80
#define GL_COPY 0x1503
#define GL_BLEND_DST 0x0BE0
#define GL_BLEND_SRC 0x0BE1

// Buffers
#define GL_FRONT_LEFT 0x0400
#define GL_FRONT_RIGHT 0x0401
#define GL_BACK_LEFT 0x0402
#define GL_BACK_RIGHT 0x0403
#define GL_LEFT 0x0406
#define GL_RIGHT 0x0407
#define GL_AUX0 0x0409
#define GL_DRAW_BUFFER 0x0C01
#define GL_ACCUM 0x0100
#define GL_UNPACK_SWAP_BYTES 0x0CF0
#define GL_UNPACK_LSB_FIRST 0x0CF1
#define GL_PACK_SWAP_BYTES 0x0D00
#define GL_PACK_LSB_FIRST 0x0D01
#define GL_COLOR_INDEX 0x1900
#define GL_BITMAP 0x1A00
#define GL_DOUBLE 0x140A

// Display lists
#define GL_COMPILE 0x1300
#define GL_COMPILE_AND_EXECUTE 0x1301
#define GL_LIST_MODE 0x0B30
#define GL_MAX_LIST_NESTING 0x0B31
#define GL_LIST_BASE 0x0B32
#define GL_LIST_INDEX 0x0B33

// Textures
#define GL_TEXTURE_1D 0x0DE0
#define GL_TEXTURE_BINDING_1D 0x8068
#define GL_TEXTURE_WIDTH 0x1000
#define GL_TEXTURE_HEIGHT 0x1001
#define GL_TEXTURE_INTERNAL_FORMAT 0x1003
#define GL_TEXTURE_COMPONENTS 0x1003
#define GL_TEXTURE_BORDER_COLOR 0x1004
#define GL_TEXTURE_BORDER 0x1005
#define GL_TEXTURE_PRIORITY 0x8066
#define GL_TEXTURE_RESIDENT 0x8067
#define GL_CLAMP 0x2900
#define GL_CLAMP_TO_BORDER 0x812D
#define GL_TEXTURE_ENV 0x2300
#define GL_TEXTURE_ENV_MODE 0x2200
#define GL_TEXTURE_ENV_COLOR 0x2201
#define GL_MODULATE 0x2100
#define GL_DECAL 0x2101
#define GL_ADD 0x0104
#define GL_S 0x2000
#define GL_T 0x2001
#define GL_R 0x2002
#define GL_Q 0x2003
#define GL_EYE_LINEAR 0x2400
#define GL_OBJECT_LINEAR 0x2401
#define GL_SPHERE_MAP 0x2402
#define GL_TEXTURE_GEN_MODE 0x2500
#define GL_OBJECT_PLANE 0x2501
#define GL_EYE_PLANE 0x2502
#define GL_TEXTURE_GEN_S 0x0C60
#define GL_TEXTURE_GEN_T 0x0C61
#define GL_TEXTURE_GEN_R 0x0C62
#define GL_TEXTURE_GEN_Q 0x0C63
#define GL_ALPHA4 0x803B
#define GL_ALPHA8 0x803C
#define GL_LUMINANCE4 0x803F
#define GL_LUMINANCE8 0x8040
#define GL_LUMINANCE8_ALPHA8 0x8045
#define GL_INTENSITY 0x8049
#define GL_INTENSITY8 0x804B
#define GL_R3_G3_B2 0x2A10
#define GL_RGB4 0x804F
#define GL_RGB5 0x8050
#define GL_RGB10 0x8052
#define GL_RGB12 0x8053
#define GL_RGB16 0x8054
#define GL_RGBA2 0x8055
#define GL_RGBA12 0x805A
#define GL_RGBA16 0x805B
#define GL_BGR 0x80E0
#define GL_BGRA 0x80E1

// Vertex arrays (client state; the layer keeps none of them enabled)
#define GL_VERTEX_ARRAY 0x8074
#define GL_NORMAL_ARRAY 0x8075
#define GL_COLOR_ARRAY 0x8076
#define GL_TEXTURE_COORD_ARRAY 0x8078

// ARB_multitexture and texture_env_combine (ARB and EXT share the values)
#define GL_TEXTURE0_ARB 0x84C0
#define GL_TEXTURE1_ARB 0x84C1
#define GL_ACTIVE_TEXTURE_ARB 0x84E0
#define GL_CLIENT_ACTIVE_TEXTURE_ARB 0x84E1
#define GL_CLIENT_ACTIVE_TEXTURE 0x84E1
#define GL_MAX_TEXTURE_UNITS_ARB 0x84E2
#define GL_MAX_TEXTURE_UNITS 0x84E2
#define GL_COMBINE 0x8570
#define GL_COMBINE_RGB 0x8571
#define GL_COMBINE_ALPHA 0x8572
#define GL_RGB_SCALE 0x8573
#define GL_ADD_SIGNED 0x8574
#define GL_INTERPOLATE 0x8575
#define GL_CONSTANT 0x8576
#define GL_PRIMARY_COLOR 0x8577
#define GL_PREVIOUS 0x8578
#define GL_SUBTRACT 0x84E7
#define GL_DOT3_RGB 0x86AE
#define GL_DOT3_RGBA 0x86AF
#define GL_SOURCE0_RGB 0x8580
#define GL_SOURCE1_RGB 0x8581
#define GL_SOURCE2_RGB 0x8582
#define GL_SOURCE0_ALPHA 0x8588
#define GL_SOURCE1_ALPHA 0x8589
#define GL_SOURCE2_ALPHA 0x858A
#define GL_OPERAND0_RGB 0x8590
#define GL_OPERAND1_RGB 0x8591
#define GL_OPERAND2_RGB 0x8592
#define GL_OPERAND0_ALPHA 0x8598
#define GL_OPERAND1_ALPHA 0x8599
#define GL_OPERAND2_ALPHA 0x859A
#define GL_ALPHA_SCALE 0x0D1C
#define GL_COMBINE_ARB GL_COMBINE
#define GL_COMBINE_RGB_ARB GL_COMBINE_RGB
#define GL_COMBINE_ALPHA_ARB GL_COMBINE_ALPHA
#define GL_RGB_SCALE_ARB GL_RGB_SCALE
#define GL_ADD_SIGNED_ARB GL_ADD_SIGNED
#define GL_INTERPOLATE_ARB GL_INTERPOLATE
#define GL_CONSTANT_ARB GL_CONSTANT
#define GL_PRIMARY_COLOR_ARB GL_PRIMARY_COLOR
#define GL_PREVIOUS_ARB GL_PREVIOUS
#define GL_SUBTRACT_ARB GL_SUBTRACT
#define GL_SOURCE0_RGB_ARB GL_SOURCE0_RGB
#define GL_SOURCE1_RGB_ARB GL_SOURCE1_RGB
#define GL_SOURCE2_RGB_ARB GL_SOURCE2_RGB
#define GL_SOURCE0_ALPHA_ARB GL_SOURCE0_ALPHA
#define GL_SOURCE1_ALPHA_ARB GL_SOURCE1_ALPHA
#define GL_SOURCE2_ALPHA_ARB GL_SOURCE2_ALPHA
#define GL_OPERAND0_RGB_ARB GL_OPERAND0_RGB
#define GL_OPERAND1_RGB_ARB GL_OPERAND1_RGB
#define GL_OPERAND2_RGB_ARB GL_OPERAND2_RGB
#define GL_OPERAND0_ALPHA_ARB GL_OPERAND0_ALPHA
#define GL_OPERAND1_ALPHA_ARB GL_OPERAND1_ALPHA
#define GL_OPERAND2_ALPHA_ARB GL_OPERAND2_ALPHA
#define GL_COMBINE_EXT GL_COMBINE
#define GL_COMBINE_RGB_EXT GL_COMBINE_RGB
#define GL_COMBINE_ALPHA_EXT GL_COMBINE_ALPHA

// Buffer objects: the read-only access of glMapBuffer
#define GL_READ_ONLY 0x88B8
#define GL_WRITE_ONLY 0x88B9
#define GL_READ_WRITE 0x88BA

#ifdef __cplusplus
extern "C" {
#endif

// The layer's functions. Each stands for the GL function of the same name without the "Ff".
#define ZARNOVELT_FF_FUNCTIONS(X) \
    X(void, Enable, (GLenum cap)) \
    X(void, Disable, (GLenum cap)) \
    X(GLboolean, IsEnabled, (GLenum cap)) \
    X(void, Hint, (GLenum target, GLenum mode)) \
    X(GLenum, GetError, (void)) \
    X(const GLubyte*, GetString, (GLenum name)) \
    X(void, GetIntegerv, (GLenum pname, GLint* params)) \
    X(void, GetFloatv, (GLenum pname, GLfloat* params)) \
    X(void, GetDoublev, (GLenum pname, GLdouble* params)) \
    X(void, GetBooleanv, (GLenum pname, GLboolean* params)) \
    X(void, Finish, (void)) \
    X(void, Flush, (void)) \
    X(void, Begin, (GLenum mode)) \
    X(void, End, (void)) \
    X(void, Vertex2f, (GLfloat x, GLfloat y)) \
    X(void, Vertex2i, (GLint x, GLint y)) \
    X(void, Vertex2d, (GLdouble x, GLdouble y)) \
    X(void, Vertex3f, (GLfloat x, GLfloat y, GLfloat z)) \
    X(void, Vertex3fv, (const GLfloat* v)) \
    X(void, Vertex3i, (GLint x, GLint y, GLint z)) \
    X(void, Vertex3d, (GLdouble x, GLdouble y, GLdouble z)) \
    X(void, Color3f, (GLfloat r, GLfloat g, GLfloat b)) \
    X(void, Color4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a)) \
    X(void, Color3fv, (const GLfloat* v)) \
    X(void, Color4fv, (const GLfloat* v)) \
    X(void, Color3ub, (GLubyte r, GLubyte g, GLubyte b)) \
    X(void, Color4ub, (GLubyte r, GLubyte g, GLubyte b, GLubyte a)) \
    X(void, Normal3f, (GLfloat x, GLfloat y, GLfloat z)) \
    X(void, Normal3fv, (const GLfloat* v)) \
    X(void, TexCoord2f, (GLfloat s, GLfloat t)) \
    X(void, TexCoord2fv, (const GLfloat* v)) \
    X(void, TexCoord2d, (GLdouble s, GLdouble t)) \
    X(void, MultiTexCoord2f, (GLenum unit, GLfloat s, GLfloat t)) \
    X(void, RasterPos2i, (GLint x, GLint y)) \
    X(void, MatrixMode, (GLenum mode)) \
    X(void, LoadIdentity, (void)) \
    X(void, LoadMatrixf, (const GLfloat* m)) \
    X(void, LoadMatrixd, (const GLdouble* m)) \
    X(void, MultMatrixf, (const GLfloat* m)) \
    X(void, MultMatrixd, (const GLdouble* m)) \
    X(void, PushMatrix, (void)) \
    X(void, PopMatrix, (void)) \
    X(void, Translatef, (GLfloat x, GLfloat y, GLfloat z)) \
    X(void, Translated, (GLdouble x, GLdouble y, GLdouble z)) \
    X(void, Rotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z)) \
    X(void, Rotated, (GLdouble angle, GLdouble x, GLdouble y, GLdouble z)) \
    X(void, Scalef, (GLfloat x, GLfloat y, GLfloat z)) \
    X(void, Scaled, (GLdouble x, GLdouble y, GLdouble z)) \
    X(void, Ortho, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f)) \
    X(void, Frustum, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f)) \
    X(void, Viewport, (GLint x, GLint y, GLsizei width, GLsizei height)) \
    X(void, DepthRange, (GLclampd nearValue, GLclampd farValue)) \
    X(void, Scissor, (GLint x, GLint y, GLsizei width, GLsizei height)) \
    X(void, Clear, (GLbitfield mask)) \
    X(void, ClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a)) \
    X(void, ClearDepth, (GLclampd depth)) \
    X(void, ColorMask, (GLboolean r, GLboolean g, GLboolean b, GLboolean a)) \
    X(void, DepthMask, (GLboolean flag)) \
    X(void, DepthFunc, (GLenum func)) \
    X(void, BlendFunc, (GLenum sfactor, GLenum dfactor)) \
    X(void, AlphaFunc, (GLenum func, GLclampf ref)) \
    X(void, CullFace, (GLenum mode)) \
    X(void, FrontFace, (GLenum mode)) \
    X(void, PolygonMode, (GLenum face, GLenum mode)) \
    X(void, ShadeModel, (GLenum mode)) \
    X(void, LineWidth, (GLfloat width)) \
    X(void, PointSize, (GLfloat size)) \
    X(void, DrawBuffer, (GLenum mode)) \
    X(void, ReadBuffer, (GLenum mode)) \
    X(void, ReadPixels, (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels)) \
    X(void, Lightf, (GLenum light, GLenum pname, GLfloat param)) \
    X(void, Lightfv, (GLenum light, GLenum pname, const GLfloat* params)) \
    X(void, GetLightfv, (GLenum light, GLenum pname, GLfloat* params)) \
    X(void, LightModelf, (GLenum pname, GLfloat param)) \
    X(void, LightModeli, (GLenum pname, GLint param)) \
    X(void, LightModelfv, (GLenum pname, const GLfloat* params)) \
    X(void, Materialf, (GLenum face, GLenum pname, GLfloat param)) \
    X(void, Materialfv, (GLenum face, GLenum pname, const GLfloat* params)) \
    X(void, GetMaterialfv, (GLenum face, GLenum pname, GLfloat* params)) \
    X(void, ColorMaterial, (GLenum face, GLenum mode)) \
    X(void, Fogf, (GLenum pname, GLfloat param)) \
    X(void, Fogi, (GLenum pname, GLint param)) \
    X(void, Fogfv, (GLenum pname, const GLfloat* params)) \
    X(void, Fogiv, (GLenum pname, const GLint* params)) \
    X(void, GenTextures, (GLsizei n, GLuint* textures)) \
    X(void, DeleteTextures, (GLsizei n, const GLuint* textures)) \
    X(void, BindTexture, (GLenum target, GLuint texture)) \
    X(GLboolean, IsTexture, (GLuint texture)) \
    X(void, TexImage2D, (GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, \
                         GLint border, GLenum format, GLenum type, const void* pixels)) \
    X(void, TexSubImage2D, (GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, \
                            GLenum format, GLenum type, const void* pixels)) \
    X(void, TexParameteri, (GLenum target, GLenum pname, GLint param)) \
    X(void, TexParameterf, (GLenum target, GLenum pname, GLfloat param)) \
    X(void, TexParameterfv, (GLenum target, GLenum pname, const GLfloat* params)) \
    X(void, GetTexParameteriv, (GLenum target, GLenum pname, GLint* params)) \
    X(void, GetTexLevelParameteriv, (GLenum target, GLint level, GLenum pname, GLint* params)) \
    X(void, TexEnvi, (GLenum target, GLenum pname, GLint param)) \
    X(void, TexEnvf, (GLenum target, GLenum pname, GLfloat param)) \
    X(void, TexEnvfv, (GLenum target, GLenum pname, const GLfloat* params)) \
    X(void, GetTexEnviv, (GLenum target, GLenum pname, GLint* params)) \
    X(void, TexGeni, (GLenum coord, GLenum pname, GLint param)) \
    X(void, TexGenfv, (GLenum coord, GLenum pname, const GLfloat* params)) \
    X(void, GetTexGeniv, (GLenum coord, GLenum pname, GLint* params)) \
    X(void, PixelStorei, (GLenum pname, GLint param)) \
    X(void, ActiveTexture, (GLenum unit)) \
    X(GLuint, GenLists, (GLsizei range)) \
    X(void, DeleteLists, (GLuint list, GLsizei range)) \
    X(GLboolean, IsList, (GLuint list)) \
    X(void, NewList, (GLuint list, GLenum mode)) \
    X(void, EndList, (void)) \
    X(void, CallList, (GLuint list)) \
    X(void, PushAttrib, (GLbitfield mask)) \
    X(void, PopAttrib, (void)) \
    X(void, PushClientAttrib, (GLbitfield mask)) \
    X(void, PopClientAttrib, (void)) \
    X(void, GenFramebuffers, (GLsizei n, GLuint* framebuffers)) \
    X(void, DeleteFramebuffers, (GLsizei n, const GLuint* framebuffers)) \
    X(void, BindFramebuffer, (GLenum target, GLuint framebuffer)) \
    X(void, FramebufferTexture2D, (GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level)) \
    X(void, FramebufferRenderbuffer, (GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer)) \
    X(GLenum, CheckFramebufferStatus, (GLenum target)) \
    X(void, GenRenderbuffers, (GLsizei n, GLuint* renderbuffers)) \
    X(void, DeleteRenderbuffers, (GLsizei n, const GLuint* renderbuffers)) \
    X(void, BindRenderbuffer, (GLenum target, GLuint renderbuffer)) \
    X(void, RenderbufferStorage, (GLenum target, GLenum internalformat, GLsizei width, GLsizei height)) \
    X(void, BlitFramebuffer, (GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0, \
                              GLint dstX1, GLint dstY1, GLbitfield mask, GLenum filter)) \
    X(void, GenBuffers, (GLsizei n, GLuint* buffers)) \
    X(void, DeleteBuffers, (GLsizei n, const GLuint* buffers)) \
    X(void, BindBuffer, (GLenum target, GLuint buffer)) \
    X(void, BufferData, (GLenum target, GLsizeiptr size, const void* data, GLenum usage)) \
    X(void*, MapBuffer, (GLenum target, GLenum access)) \
    X(GLboolean, UnmapBuffer, (GLenum target))

#define ZARNOVELT_FF_DECLARE(ret, name, args) ret Ffgl##name args;
ZARNOVELT_FF_FUNCTIONS(ZARNOVELT_FF_DECLARE)
#undef ZARNOVELT_FF_DECLARE

#ifdef __cplusplus
}
#endif

// Every GL name the code base calls lands in the layer.
#define glEnable FfglEnable
#define glDisable FfglDisable
#define glIsEnabled FfglIsEnabled
#define glHint FfglHint
#define glGetError FfglGetError
#define glGetString FfglGetString
#define glGetIntegerv FfglGetIntegerv
#define glGetFloatv FfglGetFloatv
#define glGetDoublev FfglGetDoublev
#define glGetBooleanv FfglGetBooleanv
#define glFinish FfglFinish
#define glFlush FfglFlush
#define glBegin FfglBegin
#define glEnd FfglEnd
#define glVertex2f FfglVertex2f
#define glVertex2i FfglVertex2i
#define glVertex2d FfglVertex2d
#define glVertex3f FfglVertex3f
#define glVertex3fv FfglVertex3fv
#define glVertex3i FfglVertex3i
#define glVertex3d FfglVertex3d
#define glColor3f FfglColor3f
#define glColor4f FfglColor4f
#define glColor3fv FfglColor3fv
#define glColor4fv FfglColor4fv
#define glColor3ub FfglColor3ub
#define glColor4ub FfglColor4ub
#define glNormal3f FfglNormal3f
#define glNormal3fv FfglNormal3fv
#define glTexCoord2f FfglTexCoord2f
#define glTexCoord2fv FfglTexCoord2fv
#define glTexCoord2d FfglTexCoord2d
#define glMultiTexCoord2f FfglMultiTexCoord2f
#define glMultiTexCoord2fARB FfglMultiTexCoord2f
#define glRasterPos2i FfglRasterPos2i
#define glMatrixMode FfglMatrixMode
#define glLoadIdentity FfglLoadIdentity
#define glLoadMatrixf FfglLoadMatrixf
#define glLoadMatrixd FfglLoadMatrixd
#define glMultMatrixf FfglMultMatrixf
#define glMultMatrixd FfglMultMatrixd
#define glPushMatrix FfglPushMatrix
#define glPopMatrix FfglPopMatrix
#define glTranslatef FfglTranslatef
#define glTranslated FfglTranslated
#define glRotatef FfglRotatef
#define glRotated FfglRotated
#define glScalef FfglScalef
#define glScaled FfglScaled
#define glOrtho FfglOrtho
#define glFrustum FfglFrustum
#define glViewport FfglViewport
#define glDepthRange FfglDepthRange
#define glScissor FfglScissor
#define glClear FfglClear
#define glClearColor FfglClearColor
#define glClearDepth FfglClearDepth
#define glColorMask FfglColorMask
#define glDepthMask FfglDepthMask
#define glDepthFunc FfglDepthFunc
#define glBlendFunc FfglBlendFunc
#define glAlphaFunc FfglAlphaFunc
#define glCullFace FfglCullFace
#define glFrontFace FfglFrontFace
#define glPolygonMode FfglPolygonMode
#define glShadeModel FfglShadeModel
#define glLineWidth FfglLineWidth
#define glPointSize FfglPointSize
#define glDrawBuffer FfglDrawBuffer
#define glReadBuffer FfglReadBuffer
#define glReadPixels FfglReadPixels
#define glLightf FfglLightf
#define glLightfv FfglLightfv
#define glGetLightfv FfglGetLightfv
#define glLightModelf FfglLightModelf
#define glLightModeli FfglLightModeli
#define glLightModelfv FfglLightModelfv
#define glMaterialf FfglMaterialf
#define glMaterialfv FfglMaterialfv
#define glGetMaterialfv FfglGetMaterialfv
#define glColorMaterial FfglColorMaterial
#define glFogf FfglFogf
#define glFogi FfglFogi
#define glFogfv FfglFogfv
#define glFogiv FfglFogiv
#define glGenTextures FfglGenTextures
#define glDeleteTextures FfglDeleteTextures
#define glBindTexture FfglBindTexture
#define glIsTexture FfglIsTexture
#define glTexImage2D FfglTexImage2D
#define glTexSubImage2D FfglTexSubImage2D
#define glTexParameteri FfglTexParameteri
#define glTexParameterf FfglTexParameterf
#define glTexParameterfv FfglTexParameterfv
#define glGetTexParameteriv FfglGetTexParameteriv
#define glGetTexLevelParameteriv FfglGetTexLevelParameteriv
#define glTexEnvi FfglTexEnvi
#define glTexEnvf FfglTexEnvf
#define glTexEnvfv FfglTexEnvfv
#define glGetTexEnviv FfglGetTexEnviv
#define glTexGeni FfglTexGeni
#define glTexGenfv FfglTexGenfv
#define glGetTexGeniv FfglGetTexGeniv
#define glPixelStorei FfglPixelStorei
#define glActiveTexture FfglActiveTexture
#define glActiveTextureARB FfglActiveTexture
#define glGenLists FfglGenLists
#define glDeleteLists FfglDeleteLists
#define glIsList FfglIsList
#define glNewList FfglNewList
#define glEndList FfglEndList
#define glCallList FfglCallList
#define glPushAttrib FfglPushAttrib
#define glPopAttrib FfglPopAttrib
#define glPushClientAttrib FfglPushClientAttrib
#define glPopClientAttrib FfglPopClientAttrib
#define glGenFramebuffers FfglGenFramebuffers
#define glDeleteFramebuffers FfglDeleteFramebuffers
#define glBindFramebuffer FfglBindFramebuffer
#define glFramebufferTexture2D FfglFramebufferTexture2D
#define glFramebufferRenderbuffer FfglFramebufferRenderbuffer
#define glCheckFramebufferStatus FfglCheckFramebufferStatus
#define glGenRenderbuffers FfglGenRenderbuffers
#define glDeleteRenderbuffers FfglDeleteRenderbuffers
#define glBindRenderbuffer FfglBindRenderbuffer
#define glRenderbufferStorage FfglRenderbufferStorage
#define glBlitFramebuffer FfglBlitFramebuffer
#define glGenBuffers FfglGenBuffers
#define glDeleteBuffers FfglDeleteBuffers
#define glBindBuffer FfglBindBuffer
#define glBufferData FfglBufferData
#define glMapBuffer FfglMapBuffer
#define glUnmapBuffer FfglUnmapBuffer

#endif
