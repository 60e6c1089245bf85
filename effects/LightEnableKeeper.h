// Keeps one light's enable across an effect's attribute push.
#pragma once

#include <GL/gl.h>

// glPopAttrib(GL_ENABLE_BIT) restores the per-light enables, and the effects rely on that: a
// light switched on or off inside the push must be back as it was for the next effect. Some
// drivers (Mesa 22 among them) restore the light enables only when GL_LIGHTING_BIT is popped
// too. An effect that switches a light inside its push notes the light's enable before the
// push and puts it back after the pop; on a driver that restores it this changes nothing.
class LightEnableKeeper
{
public:
    explicit LightEnableKeeper(GLenum light) : m_light(light), m_wasOn(glIsEnabled(light) == GL_TRUE) {}

    // Call right after glPopAttrib.
    void Restore() const
    {
        if ((glIsEnabled(m_light) == GL_TRUE) == m_wasOn)
            return;
        if (m_wasOn)
            glEnable(m_light);
        else
            glDisable(m_light);
    }

private:
    GLenum m_light;
    bool m_wasOn;
};
