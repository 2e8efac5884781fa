#pragma once
#include <cstdint>
#include <string>

namespace delve {

struct BitmapCatalogue;
struct Screen;

// Size of the rendered first-person picture, its viewport and its read-back.
constexpr int ViewWidth = 320;
constexpr int ViewHeight = 240;
// The first-person projection both renderers set up: the vertical field of
// view and the near and far clip planes (aspect ViewWidth : ViewHeight).
constexpr double FieldOfViewDegrees = 45.0;
constexpr float NearPlane = 0.1f;
constexpr double FarPlane = 100.0;

// Where the first-person camera looks from: its two angles in degrees and
// the eye's place inside its cell (0..1 on each axis).
struct Camera {
    float pitch = 0.0f;
    float yaw = 0.0f;
    float subX = 0.5f, subY = 0.5f, subZ = 0.5f;
};

// Quad vertices are 8 floats: texture s, t, normal x, y, z, position x, y, z.
constexpr int FloatsPerVertex = 8;

// Where a present puts the framebuffer: its lower-left corner in window
// pixels from the window's lower-left corner, each pixel scale x scale (a
// scale below 1 keeps the previous one); with blackSurround the rest of the
// window is cleared to black first.
struct Placement {
    int left = 0, bottom = 0;
    int scale = 1;
    bool blackSurround = false;
};

// What the views ask of the graphics card, and nothing more: the views build
// the frame's textured quads and the 2D framebuffer; a renderer draws them
// and reads pixels back. Fixed-function GL draws on the desktop, GLES 2 /
// WebGL in the browser; both receive the same quads in the same order.
class Renderer {
public:
    virtual ~Renderer() = default;

    // After a GL context was made current: the fixed viewport (320 x 240 at
    // the lower-left corner), the 45-degree perspective, the cube textures
    // (uploadTextures) and the fixed drawing state.
    virtual void contextCreated(const BitmapCatalogue& pictures) = 0;
    // Makes the renderer's own cube textures in the current context from
    // catalogue entries 1200..1206, replacing those it made in this context
    // before. An entry without a square of pixels gives a texture with no
    // image. The catalogue is not kept.
    virtual void uploadTextures(const BitmapCatalogue& pictures) = 0;
    // Clears colour and depth and resets the camera.
    virtual void clear() = 0;
    // Applies the first-person camera on top of the base transform; the
    // column-major model-view matrix that results goes to `modelView`.
    virtual void beginCamera(const Camera& camera, float modelView[16]) = 0;
    // Back to the base transform.
    virtual void endCamera() = 0;
    // The projection matrix (column-major) and the viewport in window pixels.
    virtual void projection(float matrix[16], int viewport[4]) = 0;
    // Draws `quadCount` quads of `vertices` (4 vertices each, FloatsPerVertex
    // floats a vertex, relative to the camera) with cube texture `texture`
    // (0..6), depth-tested. `onePerQuad` submits each quad on its own, as a
    // plain immediate-mode renderer would; the picture is the same.
    virtual void drawQuads(const float* vertices, int quadCount, int texture, bool onePerQuad) = 0;
    // Reads the colour (packed RGB rows, bottom row first) or the window
    // depth (0..1) of the lower-left width x height pixels; false, with
    // nothing read, when there is no context to read from.
    virtual bool readColour(int width, int height, uint8_t* rgb) = 0;
    virtual bool readDepth(int width, int height, float* depth) = 0;
    // The name the driver gives the device that draws, or "none" without a
    // context.
    virtual std::string deviceName() const = 0;
    // Shows the framebuffer in the window as `place` says.
    virtual void present(const Screen& screen, const Placement& place) = 0;

    // True for a renderer that can lay the picture under the framebuffer
    // when it presents, so that the picture need not be read back every
    // frame (reading back stalls a browser's GPU process).
    virtual bool composesPicture() const { return false; }
    // Until the next clear, presents show the picture drawn since the last
    // clear under the framebuffer: a framebuffer pixel not drawn since it
    // was cleared (alpha 0) shows the picture's pixel unless that one is
    // `emptyColour`, as if the picture's non-empty pixels had been copied
    // into the framebuffer before anything else was drawn on it.
    virtual void composePicture(const uint8_t emptyColour[3]) { (void)emptyColour; }
    // 2D texturing and blending on (the unit stage of a load does this): the
    // next present then blends the framebuffer by its alpha.
    virtual void enableTexturingAndBlending() = 0;
};

// Column-major 4 x 4 float matrices with the arithmetic of fixed-function GL,
// so a renderer without a matrix stack builds the same numbers.
namespace matrix {
void identity(float m[16]);
// m = m * rotation of `degrees` about the axis (x, y, z).
void rotate(float m[16], float degrees, float x, float y, float z);
// m = m * translation.
void translate(float m[16], float x, float y, float z);
// m = m * perspective (fovy in degrees), computed in double as GLU does.
void perspective(float m[16], double fovy, double aspect, double zNear, double zFar);
// out = a * b.
void multiply(float out[16], const float a[16], const float b[16]);
// The first-person camera on top of `m`: pitch about x, 180 - yaw about z,
// a half turn about x, then the eye's offset from its cell's centre.
void applyCamera(float m[16], const Camera& camera);
} // namespace matrix

} // namespace delve
