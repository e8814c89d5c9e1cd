#pragma once

#include "framework/ZelkThread.h"

namespace zelk {

class ZelkGrPrimitiveRenderer;

// The renderer's worker thread: a ZelkThread, created suspended with a
// message queue, whose main loop is the renderer's ProcessPackages.
class ZelkGrRenderWorker : public ZelkThread {
public:
    // Throws ZelkException (already logged) when the thread cannot be
    // created.
    explicit ZelkGrRenderWorker(ZelkGrPrimitiveRenderer& renderer);
    ~ZelkGrRenderWorker() override;

protected:
    bool PerformThreadMain() override;

private:
    ZelkGrPrimitiveRenderer& renderer_;
};

}  // namespace zelk
