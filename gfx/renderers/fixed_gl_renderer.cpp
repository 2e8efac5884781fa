// The desktop's renderer: fixed-function GL with the matrix stack, vertex
// arrays (or one glBegin/glEnd a quad) and a zoomed glDrawPixels.
// glWindowPos (OpenGL 1.4) places the picture.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glu.h>

#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "gfx/renderers/renderers.h"

namespace delve {

namespace {

// What the first-person picture is cleared to; a present that blacks out the
// window around the framebuffer puts it back.
constexpr GLfloat ClearColour[4] = {1.0f, 0.0f, 0.9f, 0.0f};

class FixedFunctionRenderer final : public Renderer {
public:
    void contextCreated(const BitmapCatalogue& pictures) override {
        for (GLuint& name : textures_) name = 0; // a new context holds none of ours
        glViewport(0, 0, ViewWidth, ViewHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(FieldOfViewDegrees, double(float(ViewWidth) / float(ViewHeight)),
                       double(NearPlane), FarPlane);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();

        uploadTextures(pictures);
        glEnable(GL_TEXTURE_2D);
        glShadeModel(GL_SMOOTH);
        glClearColor(ClearColour[0], ClearColour[1], ClearColour[2], ClearColour[3]);
        glClearDepth(1.0);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }

    void uploadTextures(const BitmapCatalogue& pictures) override {
        glDisable(GL_BLEND);
        glEnable(GL_TEXTURE_2D);
        // Names of a context that is gone are unknown to this one: deleting
        // them does nothing there.
        glDeleteTextures(CubeTextureCount, textures_);
        glGenTextures(CubeTextureCount, textures_);
        GLint oldAlignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // rows are packed 3-byte pixels
        for (int t = 0; t < CubeTextureCount; ++t) {
            glBindTexture(GL_TEXTURE_2D, textures_[t]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            int side = 0;
            const uint8_t* pixels = cubeTexturePixels(pictures, t, side);
            if (!pixels) continue;
            glTexImage2D(GL_TEXTURE_2D, 0, 3, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlignment);
    }

    void clear() override {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }

    void beginCamera(const Camera& c, float modelView[16]) override {
        glPushMatrix();
        glRotatef(c.pitch, 1.0f, 0.0f, 0.0f);
        glRotatef(180.0f - c.yaw, 0.0f, 0.0f, 1.0f);
        glRotatef(180.0f, 1.0f, 0.0f, 0.0f);
        glTranslatef(c.subX - 0.5f, c.subY - 0.5f, c.subZ - 0.5f);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    }

    void endCamera() override { glPopMatrix(); }

    void projection(float matrix[16], int viewport[4]) override {
        glGetFloatv(GL_PROJECTION_MATRIX, matrix);
        GLint v[4] = {};
        glGetIntegerv(GL_VIEWPORT, v);
        for (int i = 0; i < 4; ++i) viewport[i] = v[i];
    }

    void drawQuads(const float* vertices, int quadCount, int texture, bool onePerQuad) override {
        // The state a rock cube sets before its faces; it stays set after.
        glDisable(GL_BLEND);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_COLOR_MATERIAL);
        glBindTexture(GL_TEXTURE_2D,
                      texture >= 0 && texture < CubeTextureCount ? textures_[texture] : 0);
        glColor3f(1.0f, 1.0f, 1.0f);
        if (quadCount <= 0) return;
        if (onePerQuad) {
            for (int q = 0; q < quadCount; ++q) {
                const float* v = vertices + size_t(q) * 4 * FloatsPerVertex;
                glBegin(GL_QUADS);
                glNormal3f(v[2], v[3], v[4]);
                for (int k = 0; k < 4; ++k, v += FloatsPerVertex) {
                    glTexCoord2f(v[0], v[1]);
                    glVertex3f(v[5], v[6], v[7]);
                }
                glEnd();
            }
            return;
        }
        // Enables the three client arrays; they are disabled again below.
        glInterleavedArrays(GL_T2F_N3F_V3F, 0, vertices);
        glDrawArrays(GL_QUADS, 0, quadCount * 4);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }

    bool readColour(int width, int height, uint8_t* rgb) override {
        if (!glGetString(GL_VERSION)) return false; // no current context: nothing to read
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        return true;
    }

    bool readDepth(int width, int height, float* depth) override {
        if (!glGetString(GL_VERSION)) return false;
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, depth);
        return true;
    }

    std::string deviceName() const override {
        const GLubyte* name = glGetString(GL_RENDERER);
        return name ? reinterpret_cast<const char*>(name) : "none";
    }

    void present(const Screen& screen, const Placement& place) override {
        glDisable(GL_TEXTURE_2D);
        if (place.blackSurround) {
            glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            glClearColor(ClearColour[0], ClearColour[1], ClearColour[2], ClearColour[3]);
        }
        glWindowPos2i(place.left, place.bottom);
        if (place.scale >= 1) glPixelZoom(float(place.scale), float(place.scale));
        glDrawPixels(screen.width, screen.height, GL_RGBA, GL_UNSIGNED_BYTE,
                     screen.framebuffer.data());
        glEnable(GL_TEXTURE_2D);
    }

    void enableTexturingAndBlending() override {
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
    }

private:
    GLuint textures_[CubeTextureCount] = {};
};

} // namespace

std::unique_ptr<Renderer> makeFixedFunctionRenderer() {
    return std::make_unique<FixedFunctionRenderer>();
}

} // namespace delve
