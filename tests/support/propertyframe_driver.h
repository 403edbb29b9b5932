// Runs a function in place of the property frame's modal loop while it lives, so a test drives the
// frame's pages and buttons itself; counts the frames it was given.
#pragma once

#include "platform/com/ole/propertyframe.h"

#include <functional>

namespace testsupport {

class FrameDriver final : public platform::com::PropertyFrameDriver {
public:
    explicit FrameDriver(std::function<void(platform::com::PropertyFrame &)> f)
        : m_f(std::move(f))
        , m_previous(platform::com::setPropertyFrameDriver(this))
    {
    }
    ~FrameDriver() override { platform::com::setPropertyFrameDriver(m_previous); }
    void drive(platform::com::PropertyFrame &frame) override
    {
        ++runs;
        m_f(frame);
    }
    int runs = 0;

private:
    std::function<void(platform::com::PropertyFrame &)> m_f;
    platform::com::PropertyFrameDriver *m_previous;
};

} // namespace testsupport
