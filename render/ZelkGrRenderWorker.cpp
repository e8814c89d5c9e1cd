#include "render/ZelkGrRenderWorker.h"

#include "render/ZelkGrPrimitiveRenderer.h"

namespace zelk {

ZelkGrRenderWorker::ZelkGrRenderWorker(ZelkGrPrimitiveRenderer& renderer)
    : ZelkThread(false, true, CREATE_SUSPENDED), renderer_(renderer)
{
}

ZelkGrRenderWorker::~ZelkGrRenderWorker()
{
    // The thread must end before this object stops being a worker.
    Stop();
}

bool ZelkGrRenderWorker::PerformThreadMain()
{
    return renderer_.ProcessPackages();
}

}  // namespace zelk
