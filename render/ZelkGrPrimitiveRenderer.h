#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "framework/ZelkCriticalSection.h"
#include "framework/ZelkD3DFont.h"
#include "framework/ZelkD3DPtr.h"
#include "framework/ZelkEvent.h"
#include "framework/ZelkGrRect.h"
#include "framework/ZelkPerformanceTimer.h"
#include "glideapi/Glide2Types.h"
#include "render/ZelkGrRenderPackage.h"
#include "render/ZelkGrRenderWorker.h"
#include "render/ZelkGrRendererSettings.h"
#include "render/ZelkGrTexPipelineKey.h"
#include "render/ZelkGrTextureBinding.h"

namespace zelk {

// The state of one texture unit that the commands set.
struct ZelkGrTmuState {
    std::uint32_t rgbFunction = 0;
    std::uint32_t alphaFunction = 0;
    std::uint32_t rgbFactor = 0;
    std::uint32_t alphaFactor = 0;
    std::uint32_t rgbInvert = 0;
    std::uint32_t alphaInvert = 0;
    std::uint32_t clampU = 1;       // D3DTADDRESS_WRAP
    std::uint32_t clampV = 1;
    std::uint32_t minFilter = 1;    // D3DTEXF_POINT
    std::uint32_t magFilter = 1;
    std::uint32_t mipFilter = 0;    // D3DTEXF_NONE
    float lodBias = 0.0f;           // as posted
    float lodBiasValue = 0.0f;      // (2^lodBias - 1) / 255
    float detailBias = 0.0f;        // (2^detail LOD bias - 1) / 255
    float detailScale = 1.0f;       // (2^detail scale - 1) / 255
    float detailMax = 1.0f;
    std::uint32_t activeW = 2;      // 0 TMU 0's oow, 1 TMU 1's, 2 the vertex's
    std::uint32_t activeST = 0;     // 0 TMU 0's s and t, 1 TMU 1's
};

// The renderer base: records the Glide draws and state changes into packages
// and plays them on the Direct3D 9 device, on its worker thread or in the
// thread that hands them over.
//
// Threads: the recorders, the draws, Flush, EndFrame, WaitIdle, ResumeWorker
// and Shutdown run on the application thread; RenderMain, the command
// operations, UpdateTexelPipeline, the multi-pass draws, ClearBuffers and
// DrawStatistics run on the thread that plays packages.
//
// Destruction: the most-derived destructor (or the front end, before it
// deletes the renderer) calls Shutdown first, so that the worker has played
// everything and has ended before any member of a derived class goes away.
class ZelkGrPrimitiveRenderer {
public:
    // The private thread message that wakes the worker.
    static constexpr UINT kWakeUpMessage = 0x1421;
    // Records of the vertex store (the software path) or the vertex buffer
    // (the vertex-shader path).
    static constexpr std::uint32_t kVertexStoreSize = 65535;
    static constexpr std::uint32_t kCommandCount = 21;

    // device may be null: such a renderer records and makes no device call.
    ZelkGrPrimitiveRenderer(IDirect3DDevice9* device, std::uint32_t width, std::uint32_t height,
                            const ZelkGrRendererSettings& settings);
    ZelkGrPrimitiveRenderer(const ZelkGrPrimitiveRenderer&) = delete;
    ZelkGrPrimitiveRenderer& operator=(const ZelkGrPrimitiveRenderer&) = delete;
    virtual ~ZelkGrPrimitiveRenderer();

    // --- Worker -----------------------------------------------------------
    // Starts the worker; packages are then played on it.  Returns once the
    // worker's message queue exists.  When the worker cannot run, packages
    // go on being played in the calling thread.
    void ResumeWorker();
    // Waits until the worker has played everything handed over, stops it,
    // unbinds the device state and frees every package; recording after it
    // goes nowhere.  Idempotent; the destructors call it.
    void Shutdown();
    // Ends the worker thread at once, playing nothing more: for a library
    // being unloaded while its window is open, whose code the worker must
    // not run again.  The renderer is then only fit to be leaked.
    void AbandonWorker() noexcept;
    // True while packages are played on the worker.
    bool WorkerInUse() const { return workerActive && !workerDead.load(); }
    // The worker's main loop; false is a failure.
    bool ProcessPackages();

    // --- Hand-over --------------------------------------------------------
    // Closes the open record and hands the current package over.  With
    // wait, returns only when every package handed over has been played and
    // the worker no longer uses the device.
    void Flush(bool wait);
    void EndFrame();
    // Frames ended and not yet presented.  What a dead worker left queued
    // is played here first, so that the count still falls.
    std::uint32_t GetPendingSwapCount();
    // Returns when every package handed over so far has been played.
    void WaitIdle();

    // --- Recorders --------------------------------------------------------
    void BeginRecord(std::uint32_t kind);
    void RecordRenderState(D3DRENDERSTATETYPE state, std::uint32_t value);
    void RecordCommand(std::uint32_t id, std::uint32_t value, std::uint32_t arg);
    void RecordTexture(const ZelkGrTextureBinding& binding);
    void RecordPalette(const std::uint32_t* entries);          // 256 entries
    void RecordFogTable(const std::uint8_t* table);            // 64 bytes, or null
    void RecordClear(D3DCOLOR color, float depth);
    void RecordClipWindow(const ZelkGrRect& rect);

    // --- Draws (application thread) ----------------------------------------
    virtual void DrawPoint(const GrVertex* a) = 0;
    virtual void DrawLine(const GrVertex* a, const GrVertex* b) = 0;
    virtual void DrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) = 0;
    virtual void DrawPolygon(int count, const int* indices, const GrVertex* vertices) = 0;
    virtual void DrawPolygonVertexList(int count, const GrVertex* vertices) = 0;
    virtual void DrawPolygonStrip(int count, const int* indices, const GrVertex* vertices) = 0;
    virtual void DrawPolygonVertexListStrip(int count, const GrVertex* vertices) = 0;

    // --- Playing ------------------------------------------------------------
    // Plays one package; true on success, failures are thrown (logged).
    virtual bool RenderMain(ZelkGrRenderPackage& package) = 0;
    // Brings the device's texel pipeline up to date before a draw batch.
    virtual void UpdateTexelPipeline() = 0;

    // Runs the command operation of the command's id (1 to 21); other ids
    // are ignored.
    void RunCommand(const ZelkGrRenderCommand& command);

    // Command operations, in id order.
    virtual void SetOrigin(const ZelkGrRenderCommand& command);                       // 1
    virtual void SetHints(const ZelkGrRenderCommand& command);                        // 2
    virtual void SetAlphaControlsITRGBLighting(const ZelkGrRenderCommand& command);   // 3
    virtual void SetAlphaBlendFunction(const ZelkGrRenderCommand& command);           // 4
    virtual void SetChromakeyMode(const ZelkGrRenderCommand& command);                // 5
    virtual void SetChromakeyValue(const ZelkGrRenderCommand& command);               // 6
    virtual void SetConstantColor(const ZelkGrRenderCommand& command);                // 7
    virtual void SetReservedValue(const ZelkGrRenderCommand& command);                // 8
    virtual void SetDepthBufferMode(const ZelkGrRenderCommand& command);              // 9
    virtual void SetFogMode(const ZelkGrRenderCommand& command);                      // 10
    virtual void SetGammaCorrectionValue(const ZelkGrRenderCommand& command);         // 11
    virtual void SetColorCombine(const ZelkGrRenderCommand& command);                 // 12
    virtual void SetAlphaCombine(const ZelkGrRenderCommand& command);                 // 13
    virtual void SetTexCombine(const ZelkGrRenderCommand& command);                   // 14
    virtual void SetTexClampMode(const ZelkGrRenderCommand& command);                 // 15
    virtual void SetTexFilterMode(const ZelkGrRenderCommand& command);                // 16
    virtual void SetTexMipMapMode(const ZelkGrRenderCommand& command);                // 17
    virtual void SetTexLodBiasValue(const ZelkGrRenderCommand& command);              // 18
    virtual void SetTexDetailLodBias(const ZelkGrRenderCommand& command);             // 19
    virtual void SetTexDetailScale(const ZelkGrRenderCommand& command);               // 20
    virtual void SetTexDetailMax(const ZelkGrRenderCommand& command);                 // 21

    // Sets a render state on the device and keeps its value.  Every render
    // state the renderer sets goes through here, and the renderer reads back
    // only this copy: a pure device answers no GetRenderState.
    void SetDeviceRenderState(D3DRENDERSTATETYPE state, DWORD value);
    // The value last set through SetDeviceRenderState (or the initial state).
    DWORD DeviceRenderState(D3DRENDERSTATETYPE state) const;

    // Draws with separate alpha blending emulated in up to two passes.
    void DrawPrimitiveMultiPass(D3DPRIMITIVETYPE type, UINT startVertex, UINT vertexCount);
    void DrawPrimitiveUPMultiPass(D3DPRIMITIVETYPE type, const void* vertices, UINT stride, UINT vertexCount);
    // Clears colour (honouring a partial colour mask on an alpha back
    // buffer), depth and stencil within the scissor rectangle.
    void ClearBuffers(D3DCOLOR color, float depth);
    // Updates the statistics and draws the overlay in a scene of its own.
    void DrawStatistics();
    // The overlay's text for the current counters.
    std::string StatisticsText() const;
    // Frames per second from the counter frequency and the ticks of one
    // frame; 0 when either is not positive.
    static float FramesPerSecond(LONGLONG frequency, LONGLONG elapsed);

    // The 256 gamma-ramp entries of a gamma.
    static void GammaRampEntries(float gamma, WORD* entries);
    // Primitives drawn from a vertex count.
    static UINT PrimitiveCount(D3DPRIMITIVETYPE type, UINT vertexCount);
    // The vertex-conversion variant (0 to 71) for the renderer's state.
    std::uint32_t VariantIndex() const;
    // True when stage 0 or stage 1 has a texture bound.
    bool HasBoundTexture() const { return stageBindings[0].texture != nullptr || stageBindings[1].texture != nullptr; }

protected:
    // Used by RenderMain: the scene of a played package.  BeginPackageScene
    // throws a logged ZelkException naming the thrower when BeginScene
    // fails; a scene left open by a failure is ended by the caller of
    // RenderMain.
    void BeginPackageScene(const char* thrower);
    void EndPackageScene();
    // Steps (a) to (e) of a draw batch: render states, commands, texture
    // bindings, palette and fog table, advancing the cursor.
    void ApplyBatchEntries(const ZelkGrRenderPackage& package, const ZelkGrBatchRecord& record,
                           ZelkGrPackageCursor& cursor);
    // Installs a played fog table; the software path keeps the bytes.
    virtual void ApplyFogTable(const ZelkGrFogTable& table);
    // A played clip window.
    void ApplyClipWindow(const ZelkGrBatchRecord& record);
    // Closes the open record into the current package.
    void CloseOpenRecord();
    // Makes room for one entry in a list of the given size: hands the
    // package over when records or that list are full.
    void CheckRoom(std::size_t listSize, std::size_t listMax);
    // Waits until every package handed over has been played.  When the
    // worker has died, what it left queued is played here (playLeftovers)
    // or left for the caller.
    void WaitForPlayed(bool playLeftovers = true);

private:
    void SetInitialDeviceState();
    void ReadFormatFlags();
    // Records clearStateBlock.
    void RecordClearStateBlock();
    // The clear of a partial colour mask: a quad over the scissor rectangle.
    void DrawClearQuad(D3DCOLOR color);
    void OpenBatchForEntries();
    // Plays one package in this thread: RenderMain, then overlay and present
    // when it ends a frame.  A failure ends an open scene, drops the
    // package's pending swap and is rethrown.
    void PlayPackageHere(ZelkGrRenderPackage& package);
    // The worker's side: one package, failures caught and logged; false
    // after a failure.
    bool PlayPackageLogged(ZelkGrRenderPackage& package);
    // Plays what a dead worker left queued, in order, in this thread.  A
    // package that fails is logged and dropped like one on the worker; this
    // never throws, so that the callers' own package is still handled.
    void PlayQueuedHere();
    bool DrainQueue();
    void PostWakeUp();
    void EndOpenScene();
    void StopWorker();
    void FreePackages();

public:
    // --- Field set ----------------------------------------------------------
    ZelkGrRendererSettings settings;

    // Statistics (the overlay).
    std::uint32_t packagesPending = 0;
    std::uint32_t usedTextureMemory = 0;
    std::uint32_t latestCommands = 0;
    std::uint32_t latestVertices = 0;
    float latestFps = 0.0f;
    float averageCommands = 0.0f;
    float averageVertices = 0.0f;
    float averageFps = 0.0f;
    std::uint32_t totalCommands = 0;
    std::uint32_t totalVertices = 0;
    float fpsSum = 0.0f;
    std::uint32_t initialTextureMemory = 0;
    std::uint32_t frameCount = 0;

    IDirect3DDevice9Ptr device;
    D3DCAPS9 caps;
    // The renderer's copy of the render states it has set, by state number.
    static constexpr std::size_t kRenderStateSlots = D3DRS_BLENDOPALPHA + 1;
    DWORD renderStateCopy[kRenderStateSlots] = {};
    // The scissor rectangle in force (the clip window).
    RECT scissorRect = {0, 0, 0, 0};
    // The states the clear quad changes, recorded once, captured before the
    // quad and applied after it; none when the device cannot record it.
    IDirect3DStateBlock9Ptr clearStateBlock;

    ZelkGrBatchRecord openRecord;
    std::unique_ptr<ZelkGrRenderPackage> currentPackage;
    ZelkGrTextureBinding stageBindings[2];
    ZelkGrTexPipelineKey pipelineKey;

    std::uint32_t width;
    std::uint32_t height;
    float depthScale = 1.0f;
    std::atomic<std::uint32_t> queuedPackages{0};
    std::atomic<std::uint32_t> pendingSwaps{0};
    std::uint32_t nextVertexIndex = 0;
    std::uint8_t backBufferHasAlpha = 0;
    std::uint8_t hasStencil = 0;
    std::uint8_t detailFactorEnabled = 1;
    std::uint8_t texelPipelineDirty = 0;

    std::deque<std::unique_ptr<ZelkGrRenderPackage>> packageQueue;
    // Played packages kept for reuse (emptied, storage kept); guarded by
    // queueLock.
    std::vector<std::unique_ptr<ZelkGrRenderPackage>> sparePackages;
    ZelkCriticalSection queueLock;
    ZelkCriticalSection renderLock;
    ZelkEvent startedEvent;   // auto-reset: set when the worker starts a drain
    ZelkEvent idleEvent;      // manual-reset: set whenever the worker is not draining
    ZelkPerformanceTimer frameTimer;
    std::unique_ptr<ZelkD3DFont> statisticsFont;

    // Combine state; element 0 the colour unit, 1 the alpha unit.
    std::uint32_t combineFunction[2] = {1, 1};
    std::uint32_t combineFactor[2] = {0, 0};
    std::uint32_t combineLocal[2] = {1, 1};
    std::uint32_t combineOther[2] = {2, 2};
    std::uint32_t combineInvert[2] = {0, 0};
    std::uint32_t srcBlend = D3DBLEND_ONE;
    std::uint32_t dstBlend = D3DBLEND_ZERO;
    std::uint32_t srcBlendAlpha = D3DBLEND_ONE;
    std::uint32_t dstBlendAlpha = D3DBLEND_ZERO;
    std::uint32_t renderBuffer = 1;   // GR_BUFFER_BACKBUFFER
    std::uint32_t chromakeyMode = 0;
    std::uint32_t depthBufferMode = 0;   // 0 none, 1 z, 2 w
    std::uint32_t fogMode = 0;           // 0 none, 1 iterated alpha, 2 fog table
    float chromakeyColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    std::uint8_t fogTable[64];
    std::uint32_t reservedValue = 0;
    std::uint8_t alphaControlsItrgbLighting = 0;
    std::uint8_t originUpperLeft = 1;
    ZelkGrTmuState tmuState[2];

protected:
    // Progress of the hand-over: packages handed to the worker (raised under
    // queueLock) and packages the worker has finished (played, presented
    // and destroyed, or dropped after a failure).  Waits end when the two
    // are equal.
    std::uint32_t handedOverCount = 0;
    std::atomic<std::uint32_t> playedCount{0};
    ZelkEvent progressEvent;   // auto-reset: set after each finished package
    std::unique_ptr<ZelkGrRenderWorker> worker;
    bool workerActive = false;            // resumed and its queue exists
    std::atomic<bool> workerDead{false};  // ended after a failure
    bool sceneOpen = false;               // a package's scene is open
    bool shutDown = false;
};

}  // namespace zelk
