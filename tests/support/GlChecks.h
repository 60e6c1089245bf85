// Reading back what GL holds, for rendering tests: pixels and depths, colours compared with a
// tolerance, the frame an effect is drawn over, GL state (enables, integers, floats, matrices,
// texture environment and generation, lights), a texture's parameters by its id, and pending
// GL errors. Every function needs the current context (GlTestContext).
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "GlTestContext.h"
#include "Projection.h"

// An expected colour, 0..255 a channel. Comparisons leave alpha out.
struct Rgb
{
    int r, g, b;
};

// ---------------------------------------------------------------------------------------------
// Pixels
// ---------------------------------------------------------------------------------------------

// The pixel a window point falls in; its depth (0..1).
Rgba PixelAt(const WindowPoint& p);
float DepthAt(int x, int y);
float DepthAt(const WindowPoint& p);

// Every channel but alpha within tolerance.
::testing::AssertionResult ColourNear(const Rgba& actual, Rgb expected, int tolerance);

// The pixel at (x, y) in GL window coordinates ((0, 0) bottom-left), or the one a window point
// falls in, within tolerance of expected; the message names the pixel.
::testing::AssertionResult PixelNear(int x, int y, Rgb expected, int tolerance);
::testing::AssertionResult PixelNear(const WindowPoint& p, Rgb expected, int tolerance);

// ---------------------------------------------------------------------------------------------
// The frame an effect draws over
// ---------------------------------------------------------------------------------------------

// Fills the whole frame, whatever scissor box is set, with a colour (alpha 1) and a depth. The
// clear colour and depth stay set to these, as an earlier effect's clear would leave them.
void FillFrame(Rgb colour, double depth = 1.0);

// What earlier effects of a frame may have left for the next one.
struct EarlierFrame
{
    Rgb colour = {0, 0, 0};
    // The depth everywhere: 0 is nearer than anything an effect can draw.
    double depth = 1.0;
    bool depthTest = false;
    // Linear fog from 0 to 1 eye unit in fogColour: whatever is drawn fogged turns fogColour.
    bool fog = false;
    Rgb fogColour = {255, 0, 255};
};

// Fills the frame and leaves GL_DEPTH_TEST and GL_FOG (with its parameters) as asked.
void PrepareFrame(const EarlierFrame& frame);

// GL_FOG_COLOR, alpha 1: fog is the frame's to choose, so a test picks one that shows.
void SetFogColour(Rgb colour);

// ---------------------------------------------------------------------------------------------
// GL state
// ---------------------------------------------------------------------------------------------

bool IsOn(GLenum capability);
GLint GetInt(GLenum what);
std::array<GLint, 4> GetInts(GLenum what);
GLfloat GetFloat(GLenum what);
std::array<GLfloat, 4> GetFloats(GLenum what);
// GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX, ...
Matrix4 ReadMatrix(GLenum which);
GLint TextureEnvMode();
// GL_TEXTURE_GEN_MODE of GL_S, GL_T, ...
GLint TextureGenMode(GLenum coordinate);
// glGetLightfv: GL_POSITION (eye coordinates), GL_AMBIENT, GL_DIFFUSE, ...
std::array<GLfloat, 4> LightValue(GLenum light, GLenum what);

// Every element within tolerance, relative to the larger of 1 and the element's size.
::testing::AssertionResult MatricesNear(const Matrix4& actual, const Matrix4& expected, double tolerance);

// A 2D texture as GL holds it. The binding is left as it was.
struct TextureState
{
    bool exists;                 // glIsTexture: a live texture object of that name
    GLint width, height;         // level 0
    GLint internalFormat;        // level 0's GL_TEXTURE_INTERNAL_FORMAT
    GLint wrapS, wrapT;
    GLint minFilter, magFilter;
};
TextureState ReadTexture(unsigned int id);

// Level 0 of a texture as packed rows of GL_RGB or GL_RGBA bytes, bottom row first; empty when
// there is no such texture. The binding and the pack alignment are left as they were.
std::vector<uint8_t> ReadTexels(unsigned int id, GLenum format);

// Takes every pending glGetError code: success when there was none, else the codes by name
// and what the frame had just done.
::testing::AssertionResult NoGlError(const std::string& after);
