#include "capture/FrameReadback.h"

#include <cstring>

#include "platform/GlFunctions.h"
#include "support/Profiler.h"

FrameReadback::~FrameReadback() { Destroy(); }

bool FrameReadback::SoftwareRenderer()
{
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (renderer == nullptr)
        return false;
    for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer"})
        if (std::strstr(renderer, name) != nullptr)
            return true;
    return false;
}

void FrameReadback::Create(int width, int height, ReadbackMode mode)
{
    Destroy();
    m_width = width;
    m_height = height;
    GlFunctions& gl = Gl();
    m_usePbo = gl.GenBuffers && gl.BindBuffer && gl.BufferData && gl.MapBuffer && gl.UnmapBuffer && gl.DeleteBuffers;
    if (mode == ReadbackMode::Direct || (mode == ReadbackMode::Automatic && SoftwareRenderer()))
        m_usePbo = false;
    if (!m_usePbo)
        return;
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    gl.GenBuffers(kBuffers, m_buffers);
    for (unsigned int buffer : m_buffers)
    {
        gl.BindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        gl.BufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
    }
    gl.BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

void FrameReadback::Destroy()
{
    if (m_usePbo && m_buffers[0] != 0)
        Gl().DeleteBuffers(kBuffers, m_buffers);
    std::memset(m_buffers, 0, sizeof(m_buffers));
    m_started = m_collected = 0;
}

bool FrameReadback::Read(std::vector<uint8_t>* frame)
{
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (!m_usePbo)
    {
        frame->resize(static_cast<size_t>(m_width) * m_height * 4);
        const Profiler::Scope driver(Profiler::kDriver);
        glReadPixels(0, 0, m_width, m_height, GL_BGRA, GL_UNSIGNED_BYTE, frame->data());
        glPixelStorei(GL_PACK_ALIGNMENT, alignment);
        return true;
    }
    GlFunctions& gl = Gl();
    {
        const Profiler::Scope driver(Profiler::kDriver);
        gl.BindBuffer(GL_PIXEL_PACK_BUFFER, m_buffers[m_started % kBuffers]);
        glReadPixels(0, 0, m_width, m_height, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        gl.BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    }
    ++m_started;
    // Keep kBuffers - 1 reads in flight; the oldest is done by now.
    if (m_started - m_collected < kBuffers)
        return false;
    Collect(static_cast<int>(m_collected % kBuffers), frame);
    return true;
}

bool FrameReadback::Drain(std::vector<uint8_t>* frame)
{
    if (!m_usePbo || m_collected == m_started)
        return false;
    Collect(static_cast<int>(m_collected % kBuffers), frame);
    return true;
}

void FrameReadback::Collect(int slot, std::vector<uint8_t>* frame)
{
    GlFunctions& gl = Gl();
    const size_t bytes = static_cast<size_t>(m_width) * m_height * 4;
    frame->resize(bytes);
    gl.BindBuffer(GL_PIXEL_PACK_BUFFER, m_buffers[slot]);
    const void* mapped = nullptr;
    {
        const Profiler::Scope driver(Profiler::kDriver);
        mapped = gl.MapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    }
    if (mapped != nullptr)
        std::memcpy(frame->data(), mapped, bytes);
    else
        std::memset(frame->data(), 0, bytes);
    gl.UnmapBuffer(GL_PIXEL_PACK_BUFFER);
    gl.BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    ++m_collected;
}
