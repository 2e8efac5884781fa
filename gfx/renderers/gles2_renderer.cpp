// The browser's renderer: GLES 2 / WebGL 1. The first-person picture is drawn
// into an offscreen 320 x 240 target (colour texture, 16-bit depth) with the
// matrices the fixed pipeline would use; the framebuffer is shown as one
// texture. Depth cannot be read back in WebGL, so a second pass packs the
// window depth of the same quads into colour bytes.
#include <GLES2/gl2.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "gfx/renderers/renderers.h"

namespace delve {

namespace {

// Quads per draw: their vertices stay within 16-bit indices.
constexpr int QuadsPerBatch = 16384;

const char* const QuadVertexShader = R"(
attribute vec2 aTex;
attribute vec3 aPos;
uniform mat4 uModelView;
uniform mat4 uProjection;
varying vec2 vTex;
void main() {
    vTex = aTex;
    gl_Position = uProjection * (uModelView * vec4(aPos, 1.0));
}
)";

const char* const QuadFragmentShader = R"(
precision highp float;
uniform sampler2D uTexture;
varying vec2 vTex;
void main() {
    gl_FragColor = vec4(texture2D(uTexture, vTex).rgb, 1.0);
}
)";

// The window depth in three bytes, most significant first. gl_FragCoord is
// mediump in GLSL ES 1.00, and so is arithmetic on it: Mesa's GLES then
// computes at half precision and keeps only the top byte. The depth is
// copied into a highp variable first.
const char* const DepthFragmentShader = R"(
precision highp float;
void main() {
    highp float z = gl_FragCoord.z;
    float d = z * 16777215.0;
    float hi = floor(d / 65536.0);
    float mid = floor((d - hi * 65536.0) / 256.0);
    float lo = d - hi * 65536.0 - mid * 256.0;
    gl_FragColor = vec4(hi / 255.0, mid / 255.0, floor(lo + 0.5) / 255.0, 1.0);
}
)";

const char* const PresentVertexShader = R"(
attribute vec2 aCorner;
uniform vec2 uScale;
varying vec2 vTex;
void main() {
    vTex = aCorner;
    gl_Position = vec4(aCorner * uScale * 2.0 - 1.0, 0.0, 1.0);
}
)";

// The framebuffer, with the picture under the pixels not drawn since the
// framebuffer was cleared (alpha 0) where the picture is not empty.
const char* const PresentFragmentShader = R"(
precision highp float;
uniform sampler2D uTexture;
uniform sampler2D uPicture;
uniform vec3 uEmpty;
uniform float uCompose;
varying vec2 vTex;
void main() {
    vec4 frame = texture2D(uTexture, vTex);
    if (uCompose > 0.5 && frame.a < 0.5) {
        vec3 picture = texture2D(uPicture, vTex).rgb;
        if (any(greaterThan(abs(picture - uEmpty), vec3(0.5 / 255.0))))
            frame = vec4(picture, 1.0);
    }
    gl_FragColor = frame;
}
)";

GLuint compile(GLenum type, const char* source) {
    const GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    return s;
}

GLuint link(const char* vertex, const char* fragment) {
    const GLuint p = glCreateProgram();
    const GLuint vs = compile(GL_VERTEX_SHADER, vertex);
    const GLuint fs = compile(GL_FRAGMENT_SHADER, fragment);
    glAttachShader(p, vs);
    glAttachShader(p, fs);
    glLinkProgram(p);
    glDeleteShader(vs);
    glDeleteShader(fs);
    return p;
}

bool powerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

// A program that draws the cube quads, with the places of its inputs looked
// up once when it is linked (-1 for an input the program does not use).
struct QuadProgram {
    GLuint id = 0;
    GLint modelView = -1, projection = -1, texture = -1, tex = -1, pos = -1;

    void link(const char* vertexSource, const char* fragmentSource) {
        id = ::delve::link(vertexSource, fragmentSource);
        modelView = glGetUniformLocation(id, "uModelView");
        projection = glGetUniformLocation(id, "uProjection");
        texture = glGetUniformLocation(id, "uTexture");
        tex = glGetAttribLocation(id, "aTex");
        pos = glGetAttribLocation(id, "aPos");
    }
};

class Gles2Renderer final : public Renderer {
public:
    ~Gles2Renderer() override = default; // the context takes its objects along

    void contextCreated(const BitmapCatalogue& pictures) override {
        releaseObjects();
        std::memset(textures_, 0, sizeof textures_); // a new context holds none of ours
        quadProgram_.link(QuadVertexShader, QuadFragmentShader);
        depthProgram_.link(QuadVertexShader, DepthFragmentShader);
        presentProgram_ = link(PresentVertexShader, PresentFragmentShader);
        glUseProgram(presentProgram_);
        glUniform1i(glGetUniformLocation(presentProgram_, "uTexture"), 0);
        glUniform1i(glGetUniformLocation(presentProgram_, "uPicture"), 1);
        presentCompose_ = glGetUniformLocation(presentProgram_, "uCompose");
        presentEmpty_ = glGetUniformLocation(presentProgram_, "uEmpty");
        presentScale_ = glGetUniformLocation(presentProgram_, "uScale");
        presentCorner_ = glGetAttribLocation(presentProgram_, "aCorner");

        glGenBuffers(1, &vertexBuffer_);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
        vertexCapacity_ = 0;
        glGenBuffers(1, &indexBuffer_);
        std::vector<uint16_t> indices(size_t(QuadsPerBatch) * 6);
        for (int q = 0; q < QuadsPerBatch; ++q) {
            const uint16_t b = uint16_t(q * 4);
            const uint16_t quad[6] = {b, uint16_t(b + 1), uint16_t(b + 2),
                                      b, uint16_t(b + 2), uint16_t(b + 3)};
            std::memcpy(&indices[size_t(q) * 6], quad, sizeof quad);
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(uint16_t)),
                     indices.data(), GL_STATIC_DRAW);
        glGenBuffers(1, &cornerBuffer_);
        glBindBuffer(GL_ARRAY_BUFFER, cornerBuffer_);
        const float corners[8] = {0, 0, 1, 0, 0, 1, 1, 1};
        glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);

        makeTarget(colourTarget_, colourTexture_, depthBuffer_);
        makeTarget(depthTarget_, depthTexture_, depthTargetDepth_);

        uploadTextures(pictures);
        glGenTextures(1, &screenTexture_);
        screenWidth_ = screenHeight_ = 0;

        matrix::identity(projection_);
        matrix::perspective(projection_, FieldOfViewDegrees,
                            double(float(ViewWidth) / float(ViewHeight)), double(NearPlane),
                            FarPlane);
        matrix::identity(modelView_);
        glClearColor(1.0f, 0.0f, 0.9f, 0.0f);
        glClearDepthf(1.0f);
        glDepthFunc(GL_LEQUAL);
        glDisable(GL_CULL_FACE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        blend_ = false;
        pictureComposed_ = false;
        ready_ = true;
    }

    void uploadTextures(const BitmapCatalogue& pictures) override {
        glDeleteTextures(CubeTextureCount, textures_);
        glGenTextures(CubeTextureCount, textures_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // picture rows are packed 3-byte pixels
        for (int t = 0; t < CubeTextureCount; ++t) {
            glBindTexture(GL_TEXTURE_2D, textures_[t]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            // WebGL repeats only power-of-two textures; the others clamp.
            const GLint wrap =
                powerOfTwo(pictures[FirstCubeTexture + t].width) ? GL_REPEAT : GL_CLAMP_TO_EDGE;
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
            int side = 0;
            const uint8_t* pixels = cubeTexturePixels(pictures, t, side);
            if (!pixels) continue;
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }

    void clear() override {
        matrix::identity(modelView_);
        if (!ready_) return;
        bindTarget(colourTarget_);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawnQuads_ = 0;
        pictureComposed_ = false;
    }

    void beginCamera(const Camera& camera, float modelView[16]) override {
        std::memcpy(saved_, modelView_, sizeof saved_);
        matrix::applyCamera(modelView_, camera);
        std::memcpy(modelView, modelView_, sizeof modelView_);
    }

    void endCamera() override { std::memcpy(modelView_, saved_, sizeof saved_); }

    void projection(float m[16], int viewport[4]) override {
        std::memcpy(m, projection_, sizeof projection_);
        viewport[0] = viewport[1] = 0;
        viewport[2] = ViewWidth;
        viewport[3] = ViewHeight;
    }

    void drawQuads(const float* vertices, int quadCount, int texture, bool) override {
        blend_ = false; // the cube state turns blending off, as on the desktop
        if (!ready_ || quadCount <= 0) return;
        const size_t floats = size_t(quadCount) * 4 * FloatsPerVertex;
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
        if (floats > vertexCapacity_) {
            // Grows to the largest frame seen and stays there.
            vertexCapacity_ = floats;
            glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(floats * sizeof(float)), vertices,
                         GL_DYNAMIC_DRAW);
        } else {
            glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(floats * sizeof(float)), vertices);
        }
        drawnQuads_ = quadCount;
        std::memcpy(drawnModelView_, modelView_, sizeof modelView_);
        drawnTexture_ = texture >= 0 && texture < CubeTextureCount ? textures_[texture] : 0;
        bindTarget(colourTarget_);
        drawBatches(quadProgram_, drawnModelView_);
    }

    bool readColour(int width, int height, uint8_t* rgb) override {
        if (!ready_ || width <= 0 || height <= 0) return false;
        bindTarget(colourTarget_);
        readTarget(width, height);
        const uint8_t* src = readBack_.data();
        for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i, src += 4, rgb += 3) {
            rgb[0] = src[0];
            rgb[1] = src[1];
            rgb[2] = src[2];
        }
        return true;
    }

    bool readDepth(int width, int height, float* depth) override {
        if (!ready_ || width <= 0 || height <= 0) return false;
        // The last quads drawn, again, with their depth as colour.
        bindTarget(depthTarget_);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(1.0f, 0.0f, 0.9f, 0.0f);
        if (drawnQuads_ > 0) drawBatches(depthProgram_, drawnModelView_);
        readTarget(width, height);
        // As the desktop's 16-bit depth buffer holds it: the edge overlay
        // compares surface points with the depth read back, and a finer
        // depth would hide the points that lie on the surface.
        const uint8_t* src = readBack_.data();
        for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i, src += 4) {
            const double d = double((uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | src[2]) /
                             16777215.0;
            depth[i] = float(std::round(d * 65535.0) / 65535.0);
        }
        return true;
    }

    std::string deviceName() const override {
        const GLubyte* name = glGetString(GL_RENDERER);
        return name ? reinterpret_cast<const char*>(name) : "none";
    }

    void present(const Screen& screen, const Placement& place) override {
        if (!ready_ || screen.width <= 0 || screen.height <= 0) return;
        if (place.scale >= 1) zoom_ = place.scale;
        glBindTexture(GL_TEXTURE_2D, screenTexture_);
        if (screen.width != screenWidth_ || screen.height != screenHeight_) {
            screenWidth_ = screen.width;
            screenHeight_ = screen.height;
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, screen.width, screen.height, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, screen.framebuffer.data());
        } else {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, screen.width, screen.height, GL_RGBA,
                            GL_UNSIGNED_BYTE, screen.framebuffer.data());
        }
        // The canvas itself: the framebuffer at its place, every pixel
        // zoom x zoom, the rest of the canvas black or left as it was.
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        if (place.blackSurround) {
            glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            glClearColor(1.0f, 0.0f, 0.9f, 0.0f);
        }
        glViewport(place.left, place.bottom, screen.width * zoom_, screen.height * zoom_);
        glDisable(GL_DEPTH_TEST);
        if (blend_) glEnable(GL_BLEND); else glDisable(GL_BLEND);
        // The picture is the framebuffer's size only in the picture's own mode.
        const bool compose =
            pictureComposed_ && screen.width == ViewWidth && screen.height == ViewHeight;
        glUseProgram(presentProgram_);
        glUniform1f(presentCompose_, compose ? 1.0f : 0.0f);
        glUniform3f(presentEmpty_, float(empty_[0]) / 255.0f,
                    float(empty_[1]) / 255.0f, float(empty_[2]) / 255.0f);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, colourTexture_);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, screenTexture_);
        glUniform2f(presentScale_, 1.0f, 1.0f);
        glBindBuffer(GL_ARRAY_BUFFER, cornerBuffer_);
        const GLint corner = presentCorner_;
        glEnableVertexAttribArray(GLuint(corner));
        glVertexAttribPointer(GLuint(corner), 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDisableVertexAttribArray(GLuint(corner));
        glDisable(GL_BLEND);
        boundTarget_ = 0;
    }

    void enableTexturingAndBlending() override { blend_ = true; }

    bool composesPicture() const override { return true; }
    void composePicture(const uint8_t emptyColour[3]) override {
        std::memcpy(empty_, emptyColour, sizeof empty_);
        pictureComposed_ = true;
    }

private:
    void makeTarget(GLuint& framebuffer, GLuint& texture, GLuint& depth) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, ViewWidth, ViewHeight, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, nullptr);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, ViewWidth, ViewHeight);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        boundTarget_ = 0;
    }

    void bindTarget(GLuint framebuffer) {
        if (boundTarget_ == framebuffer) return;
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, ViewWidth, ViewHeight);
        boundTarget_ = framebuffer;
    }

    void drawBatches(const QuadProgram& program, const float modelView[16]) {
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glUseProgram(program.id);
        glUniformMatrix4fv(program.modelView, 1, GL_FALSE, modelView);
        glUniformMatrix4fv(program.projection, 1, GL_FALSE, projection_);
        if (program.texture >= 0) glUniform1i(program.texture, 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, drawnTexture_);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
        const GLint tex = program.tex, pos = program.pos;
        if (tex >= 0) glEnableVertexAttribArray(GLuint(tex));
        glEnableVertexAttribArray(GLuint(pos));
        constexpr GLsizei stride = FloatsPerVertex * sizeof(float);
        for (int first = 0; first < drawnQuads_; first += QuadsPerBatch) {
            const int count = drawnQuads_ - first < QuadsPerBatch ? drawnQuads_ - first : QuadsPerBatch;
            const size_t base = size_t(first) * 4 * stride;
            if (tex >= 0)
                glVertexAttribPointer(GLuint(tex), 2, GL_FLOAT, GL_FALSE, stride,
                                      reinterpret_cast<const void*>(base));
            glVertexAttribPointer(GLuint(pos), 3, GL_FLOAT, GL_FALSE, stride,
                                  reinterpret_cast<const void*>(base + 5 * sizeof(float)));
            glDrawElements(GL_TRIANGLES, count * 6, GL_UNSIGNED_SHORT, nullptr);
        }
        if (tex >= 0) glDisableVertexAttribArray(GLuint(tex));
        glDisableVertexAttribArray(GLuint(pos));
    }

    void readTarget(int width, int height) {
        readBack_.resize(size_t(width) * size_t(height) * 4); // sized once for the view
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, readBack_.data());
    }

    void releaseObjects() {
        if (!ready_) return;
        glDeleteProgram(quadProgram_.id);
        glDeleteProgram(depthProgram_.id);
        glDeleteProgram(presentProgram_);
        glDeleteBuffers(1, &vertexBuffer_);
        glDeleteBuffers(1, &indexBuffer_);
        glDeleteBuffers(1, &cornerBuffer_);
        glDeleteTextures(CubeTextureCount, textures_);
        glDeleteTextures(1, &screenTexture_);
        glDeleteTextures(1, &colourTexture_);
        glDeleteTextures(1, &depthTexture_);
        glDeleteRenderbuffers(1, &depthBuffer_);
        glDeleteRenderbuffers(1, &depthTargetDepth_);
        glDeleteFramebuffers(1, &colourTarget_);
        glDeleteFramebuffers(1, &depthTarget_);
        ready_ = false;
    }

    bool ready_ = false;
    QuadProgram quadProgram_, depthProgram_;
    GLuint presentProgram_ = 0;
    GLint presentCompose_ = -1, presentEmpty_ = -1, presentScale_ = -1, presentCorner_ = -1;
    GLuint vertexBuffer_ = 0, indexBuffer_ = 0, cornerBuffer_ = 0;
    size_t vertexCapacity_ = 0;
    GLuint textures_[CubeTextureCount] = {};
    GLuint screenTexture_ = 0;
    int screenWidth_ = 0, screenHeight_ = 0, zoom_ = 1;
    GLuint colourTarget_ = 0, colourTexture_ = 0, depthBuffer_ = 0;
    GLuint depthTarget_ = 0, depthTexture_ = 0, depthTargetDepth_ = 0;
    GLuint boundTarget_ = 0;
    float projection_[16] = {};
    float modelView_[16] = {};
    float saved_[16] = {};
    float drawnModelView_[16] = {};
    GLuint drawnTexture_ = 0;
    int drawnQuads_ = 0;
    bool blend_ = false;
    bool pictureComposed_ = false; // the picture goes under the next presents
    uint8_t empty_[3] = {};
    std::vector<uint8_t> readBack_;
};

} // namespace

std::unique_ptr<Renderer> makeGles2Renderer() { return std::make_unique<Gles2Renderer>(); }

} // namespace delve
