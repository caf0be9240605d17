#pragma once
// Collects the render commands of a visit and draws them: 3D opaque, 3D transparent (far to
// near), then 2D by global z (negative, zero, positive), keeping visit order among equals.
// Also keeps the scissor stack of clipping nodes. Main (GL) thread only.

#include <functional>
#include <vector>

#include "base/ccTypes.h"
#include "math/CCMath.h"

namespace cocos2d {

class RenderCommand;
class TrianglesCommand;

class RenderQueue {
public:
    enum QUEUE_GROUP { GLOBALZ_NEG = 0, OPAQUE_3D = 1, TRANSPARENT_3D = 2, GLOBALZ_ZERO = 3, GLOBALZ_POS = 4, QUEUE_COUNT = 5 };

    void push_back(RenderCommand* command);
    ssize_t size() const;
    void sort();
    void clear();
    const std::vector<RenderCommand*>& getSubQueue(QUEUE_GROUP group) const { return _commands[group]; }

private:
    std::vector<RenderCommand*> _commands[QUEUE_COUNT];
};

class Renderer {
public:
    Renderer();
    ~Renderer();

    /// Sets the GL state the commands expect; call once the context is current.
    void initGLView();

    void addCommand(RenderCommand* command);
    void addCommand(RenderCommand* command, int renderQueue);
    /// Commands added until popGroup go to the group's queue.
    void pushGroup(int renderQueueID);
    void popGroup();
    int createRenderQueue();
    void releaseRenderQueue(int renderQueueID);

    /// Draws and forgets everything queued so far. May run several times in a frame (cameras
    /// drawn in line flush what came before them).
    void render();
    /// Forgets everything queued without drawing.
    void clean();
    /// Work to run once the frame is completely drawn, before it is shown (screen capture).
    void addFrameEndTask(std::function<void()> task);
    void runFrameEndTasks();

    /// Clears colour and depth of the whole framebuffer.
    void clear();
    void setClearColor(const Color4F& clearColor) { _clearColor = clearColor; }
    const Color4F& getClearColor() const { return _clearColor; }
    void setDepthTest(bool enable);

    /// Frames the director has drawn since the start (headless ones too): frames with
    /// nothing changed are not drawn.
    unsigned long long getDrawnFrames() const { return _drawnFrames; }
    void countFrame() { ++_drawnFrames; }
    ssize_t getDrawnBatches() const { return _drawnBatches; }
    void addDrawnBatches(ssize_t number) { _drawnBatches += number; }
    ssize_t getDrawnVertices() const { return _drawnVertices; }
    void addDrawnVertices(ssize_t number) { _drawnVertices += number; }
    void clearDrawStats()
    {
        _drawnBatches = 0;
        _drawnVertices = 0;
    }

    /// Whether a node of this size under this transform can be seen by the current camera.
    bool checkVisibility(const Mat4& transform, const Size& size);

    /// Clipping at draw time: the scissor becomes the intersection of rect (in points, window
    /// coordinates) with the one in force; pop restores the previous one.
    void pushScissorRect(const Rect& rectInPoints);
    void popScissorRect();
    /// The scissor in force (in points) and whether there is one.
    bool getCurrentScissorRect(Rect* rectInPoints) const;

    /// Clipping while visiting: clipping nodes push the rectangle (window points) their
    /// children are cut to, so nodes whose commands land in other queues (3D) can apply it
    /// when they draw. Nested rectangles intersect.
    void pushVisitClipRect(const Rect& rectInPoints);
    void popVisitClipRect();
    bool getVisitClipRect(Rect* rectInPoints) const;

    /// Draws a camera of a render window in line: flushes what is queued, scissors to the
    /// window rectangle (in points) and clears depth there. endInlineCamera flushes the
    /// camera's commands and restores the scissor.
    void beginInlineCamera(const Rect& windowRectInPoints);
    void endInlineCamera();

protected:
    void processRenderCommand(RenderCommand* command);
    void visitRenderQueue(RenderQueue& queue);
    void drawTriangles(TrianglesCommand* command);
    void applyScissor();

    std::vector<RenderQueue> _renderGroups;
    std::vector<int> _freeQueues;
    std::vector<int> _commandGroupStack;
    Color4F _clearColor;
    ssize_t _drawnBatches = 0;
    ssize_t _drawnVertices = 0;
    unsigned long long _drawnFrames = 0;
    bool _isRendering = false;
    bool _depthTest = false;
    std::vector<Rect> _scissorStack;
    std::vector<Rect> _visitClipStack;
    GLuint _vbo = 0;
    GLuint _ibo = 0;
    std::vector<V3F_C4B_T2F> _transformed;
    std::vector<std::function<void()>> _frameEndTasks;
};

} // namespace cocos2d
