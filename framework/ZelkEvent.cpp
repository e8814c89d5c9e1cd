#include "framework/ZelkEvent.h"

#include "framework/ZelkException.h"

namespace zelk {

namespace {

const char* const kEventConstructorName = "ZelkEvent::ZelkEvent";
const char* const kCreateEventFailed = "The function [ WIN32API::CreateEvent ] failed.";

}  // namespace

ZelkEvent::ZelkEvent(bool manualReset, bool initiallySet) : handle_(nullptr, &::CloseHandle)
{
    handle_.reset(CreateEventA(nullptr, manualReset ? TRUE : FALSE, initiallySet ? TRUE : FALSE, nullptr));
    if (!handle_) {
        throw ZelkWin32Exception(kEventConstructorName, kCreateEventFailed);
    }
}

ZelkEvent::~ZelkEvent() = default;

bool ZelkEvent::Wait(DWORD milliseconds)
{
    return WaitForSingleObject(handle_.get(), milliseconds) == WAIT_OBJECT_0;
}

}  // namespace zelk
