#include "renderer/Renderer.h"

#include <algorithm>

#include "base/Director.h"
#include "base/ccLog.h"
#include "platform/GLView.h"
#include "renderer/CustomCommand.h"
#include "renderer/GLProgram.h"
#include "renderer/GLProgramState.h"
#include "renderer/GroupCommand.h"
#include "renderer/TrianglesCommand.h"
#include "renderer/ccGLStateCache.h"

namespace cocos2d {

void RenderQueue::push_back(RenderCommand* command)
{
    float z = command->getGlobalOrder();
    if (command->is3D()) {
        _commands[command->isTransparent() ? TRANSPARENT_3D : OPAQUE_3D].push_back(command);
    } else if (z < 0) {
        _commands[GLOBALZ_NEG].push_back(command);
    } else if (z > 0) {
        _commands[GLOBALZ_POS].push_back(command);
    } else {
        _commands[GLOBALZ_ZERO].push_back(command);
    }
}

ssize_t RenderQueue::size() const
{
    size_t n = 0;
    for (const auto& q : _commands) n += q.size();
    return static_cast<ssize_t>(n);
}

void RenderQueue::sort()
{
    auto byZ = [](const RenderCommand* a, const RenderCommand* b) { return a->getGlobalOrder() < b->getGlobalOrder(); };
    // Stable: among equal z, what was visited first is drawn first.
    std::stable_sort(_commands[GLOBALZ_NEG].begin(), _commands[GLOBALZ_NEG].end(), byZ);
    std::stable_sort(_commands[GLOBALZ_POS].begin(), _commands[GLOBALZ_POS].end(), byZ);
}

void RenderQueue::clear()
{
    for (auto& q : _commands) q.clear();
}

Renderer::Renderer()
{
    _renderGroups.emplace_back();
    _commandGroupStack.push_back(0);
}

Renderer::~Renderer()
{
    if (GL::isContextReady()) {
        if (_vbo) glDeleteBuffers(1, &_vbo);
        if (_ibo) glDeleteBuffers(1, &_ibo);
    }
}

void Renderer::initGLView()
{
    if (!GL::isContextReady()) {
        return;
    }
    if (!_vbo) glGenBuffers(1, &_vbo);
    if (!_ibo) glGenBuffers(1, &_ibo);
    // Point sizes come from the vertex program (the point-size shader).
    glEnable(GL_VERTEX_PROGRAM_POINT_SIZE);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    GL::invalidateStateCache();
}

void Renderer::addCommand(RenderCommand* command)
{
    addCommand(command, _commandGroupStack.back());
}

void Renderer::addCommand(RenderCommand* command, int renderQueue)
{
    if (!command || renderQueue < 0 || renderQueue >= static_cast<int>(_renderGroups.size())) {
        return;
    }
    if (_isRendering) {
        log("Renderer: a command was added while rendering; it is dropped");
        return;
    }
    _renderGroups[static_cast<size_t>(renderQueue)].push_back(command);
}

void Renderer::pushGroup(int renderQueueID)
{
    _commandGroupStack.push_back(renderQueueID);
}

void Renderer::popGroup()
{
    if (_commandGroupStack.size() > 1) {
        _commandGroupStack.pop_back();
    }
}

int Renderer::createRenderQueue()
{
    if (!_freeQueues.empty()) {
        int id = _freeQueues.back();
        _freeQueues.pop_back();
        return id;
    }
    _renderGroups.emplace_back();
    return static_cast<int>(_renderGroups.size()) - 1;
}

void Renderer::releaseRenderQueue(int renderQueueID)
{
    if (renderQueueID > 0 && renderQueueID < static_cast<int>(_renderGroups.size())) {
        _renderGroups[static_cast<size_t>(renderQueueID)].clear();
        _freeQueues.push_back(renderQueueID);
    }
}

void Renderer::clean()
{
    for (auto& q : _renderGroups) q.clear();
}

void Renderer::clear()
{
    if (!GL::isContextReady()) {
        return;
    }
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glClearColor(_clearColor.r, _clearColor.g, _clearColor.b, _clearColor.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    applyScissor();
}

void Renderer::addFrameEndTask(std::function<void()> task)
{
    if (task) {
        _frameEndTasks.push_back(std::move(task));
        // The task runs at the end of a drawn frame: there must be one.
        Director::getInstance()->markDirty();
    }
}

void Renderer::runFrameEndTasks()
{
    std::vector<std::function<void()>> tasks;
    tasks.swap(_frameEndTasks);
    for (auto& task : tasks) {
        task();
    }
}

void Renderer::setDepthTest(bool enable)
{
    _depthTest = enable;
}

void Renderer::render()
{
    if (!GL::isContextReady()) {
        clean();
        return;
    }
    _isRendering = true;
    for (auto& q : _renderGroups) q.sort();
    visitRenderQueue(_renderGroups[0]);
    _isRendering = false;
    clean();
}

void Renderer::visitRenderQueue(RenderQueue& queue)
{
    const auto& opaque = queue.getSubQueue(RenderQueue::OPAQUE_3D);
    const auto& transparent = queue.getSubQueue(RenderQueue::TRANSPARENT_3D);
    if (!opaque.empty()) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_TRUE);
        for (auto* c : opaque) processRenderCommand(c);
    }
    if (!transparent.empty()) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_FALSE);
        for (auto* c : transparent) processRenderCommand(c);
    }
    RenderQueue::QUEUE_GROUP flat[] = {RenderQueue::GLOBALZ_NEG, RenderQueue::GLOBALZ_ZERO, RenderQueue::GLOBALZ_POS};
    bool any2D = false;
    for (auto g : flat) any2D = any2D || !queue.getSubQueue(g).empty();
    if (any2D) {
        if (_depthTest) {
            glEnable(GL_DEPTH_TEST);
        } else {
            glDisable(GL_DEPTH_TEST);
        }
        glDepthMask(GL_TRUE);
        for (auto g : flat) {
            for (auto* c : queue.getSubQueue(g)) processRenderCommand(c);
        }
    }
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
}

void Renderer::processRenderCommand(RenderCommand* command)
{
    switch (command->getType()) {
    case RenderCommand::Type::CUSTOM_COMMAND:
        static_cast<CustomCommand*>(command)->execute();
        // Custom code may bind anything; the cache must not trust its memory afterwards.
        GL::invalidateStateCache();
        break;
    case RenderCommand::Type::TRIANGLES_COMMAND:
        drawTriangles(static_cast<TrianglesCommand*>(command));
        break;
    case RenderCommand::Type::GROUP_COMMAND: {
        int id = static_cast<GroupCommand*>(command)->getRenderQueueID();
        if (id > 0 && id < static_cast<int>(_renderGroups.size())) {
            GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
            GLboolean depthMask = GL_TRUE;
            glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
            visitRenderQueue(_renderGroups[static_cast<size_t>(id)]);
            if (depthTest) glEnable(GL_DEPTH_TEST);
            glDepthMask(depthMask);
        }
        break;
    }
    default:
        break;
    }
}

void Renderer::drawTriangles(TrianglesCommand* command)
{
    const auto& tri = command->getTriangles();
    GLProgramState* state = command->getGLProgramState();
    if (!tri.verts || !tri.indices || tri.vertCount <= 0 || tri.indexCount <= 0 || !state) {
        return;
    }
    for (int i = 0; i < tri.indexCount; ++i) {
        if (tri.indices[i] >= tri.vertCount) {
            log("Renderer: triangle index %u beyond %d vertices; command skipped", tri.indices[i], tri.vertCount);
            return;
        }
    }
    _transformed.assign(tri.verts, tri.verts + tri.vertCount);
    const Mat4& mv = command->getModelView();
    for (auto& v : _transformed) {
        mv.transformPoint(&v.vertices);
    }
    state->apply(Mat4::IDENTITY);
    GL::bindTexture2D(command->getTextureID());
    GL::blendFunc(command->getBlendType().src, command->getBlendType().dst);

    GL::bindVAO(0);
    glBindBuffer(GL_ARRAY_BUFFER, _vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(V3F_C4B_T2F) * _transformed.size()),
                 _transformed.data(), GL_STREAM_DRAW);
    GL::enableVertexAttribs(GL::VERTEX_ATTRIB_FLAG_POS_COLOR_TEX);
    const GLsizei stride = sizeof(V3F_C4B_T2F);
    glVertexAttribPointer(GLProgram::VERTEX_ATTRIB_POSITION, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(V3F_C4B_T2F, vertices)));
    glVertexAttribPointer(GLProgram::VERTEX_ATTRIB_COLOR, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(V3F_C4B_T2F, colors)));
    glVertexAttribPointer(GLProgram::VERTEX_ATTRIB_TEX_COORD, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(V3F_C4B_T2F, texCoords)));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, _ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(unsigned short) * static_cast<size_t>(tri.indexCount)),
                 tri.indices, GL_STREAM_DRAW);
    glDrawElements(GL_TRIANGLES, tri.indexCount, GL_UNSIGNED_SHORT, nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    addDrawnBatches(1);
    addDrawnVertices(tri.indexCount);
}

bool Renderer::checkVisibility(const Mat4& transform, const Size& size)
{
    const Mat4& projection = Director::getInstance()->getMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION);
    Mat4 mvp = projection * transform;
    float minX = 1e30f, maxX = -1e30f, minY = 1e30f, maxY = -1e30f;
    const float xs[2] = {0.0f, size.width};
    const float ys[2] = {0.0f, size.height};
    for (float x : xs) {
        for (float y : ys) {
            Vec4 clip = mvp * Vec4(x, y, 0.0f, 1.0f);
            if (clip.w <= 0.0f) {
                return true; // behind the eye: let clipping decide
            }
            float nx = clip.x / clip.w, ny = clip.y / clip.w;
            minX = std::min(minX, nx);
            maxX = std::max(maxX, nx);
            minY = std::min(minY, ny);
            maxY = std::max(maxY, ny);
        }
    }
    return maxX >= -1.0f && minX <= 1.0f && maxY >= -1.0f && minY <= 1.0f;
}

namespace {
// Nested clipping shows only what every clipping ancestor shows.
Rect intersect(const Rect& r, const std::vector<Rect>& stack)
{
    if (stack.empty()) {
        return r;
    }
    const Rect& outer = stack.back();
    float x0 = std::max(r.getMinX(), outer.getMinX());
    float y0 = std::max(r.getMinY(), outer.getMinY());
    float x1 = std::min(r.getMaxX(), outer.getMaxX());
    float y1 = std::min(r.getMaxY(), outer.getMaxY());
    return Rect(x0, y0, std::max(0.0f, x1 - x0), std::max(0.0f, y1 - y0));
}
} // namespace

void Renderer::pushScissorRect(const Rect& rectInPoints)
{
    _scissorStack.push_back(intersect(rectInPoints, _scissorStack));
    applyScissor();
}

void Renderer::pushVisitClipRect(const Rect& rectInPoints)
{
    _visitClipStack.push_back(intersect(rectInPoints, _visitClipStack));
}

void Renderer::popVisitClipRect()
{
    if (!_visitClipStack.empty()) {
        _visitClipStack.pop_back();
    }
}

bool Renderer::getVisitClipRect(Rect* rectInPoints) const
{
    if (_visitClipStack.empty()) {
        return false;
    }
    if (rectInPoints) {
        *rectInPoints = _visitClipStack.back();
    }
    return true;
}

void Renderer::popScissorRect()
{
    if (!_scissorStack.empty()) {
        _scissorStack.pop_back();
    }
    applyScissor();
}

bool Renderer::getCurrentScissorRect(Rect* rectInPoints) const
{
    if (_scissorStack.empty()) {
        return false;
    }
    if (rectInPoints) {
        *rectInPoints = _scissorStack.back();
    }
    return true;
}

void Renderer::applyScissor()
{
    if (!GL::isContextReady()) {
        return;
    }
    GLView* view = Director::getInstance()->getOpenGLView();
    if (_scissorStack.empty() || !view) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    glEnable(GL_SCISSOR_TEST);
    const Rect& r = _scissorStack.back();
    view->setScissorInPoints(r.origin.x, r.origin.y, r.size.width, r.size.height);
}

void Renderer::beginInlineCamera(const Rect& windowRectInPoints)
{
    render();
    pushScissorRect(windowRectInPoints);
    if (GL::isContextReady()) {
        glDepthMask(GL_TRUE);
        glClear(GL_DEPTH_BUFFER_BIT);
    }
}

void Renderer::endInlineCamera()
{
    render();
    popScissorRect();
}

} // namespace cocos2d
