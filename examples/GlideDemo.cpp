/*
 * A small Glide 2.x program: a lit, rotating cube over a textured floor that
 * fades into fog, seen through a translucent pane.  It loads the Glide
 * runtime by name, draws a number of frames and then keeps its window up
 * until it is told to finish, so that the picture can be taken.
 *
 *   GlideDemo <marker file> [frames]
 *
 * After the last frame it creates the marker file and waits (at most 60 s)
 * until the file is gone.
 */
#include <windows.h>

#include <math.h>
#include <stdio.h>

#include "glide/Glide2.h"

/* The Glide entry points, found by their exported names. */
#define DEMO_POINTER(returnType, name, parameters, bytes) static PFN_##name p_##name;
ZELK_GLIDE_FUNCTIONS(DEMO_POINTER)
#undef DEMO_POINTER

static int LoadGlide(void)
{
    HMODULE glide = LoadLibraryA("Rodoz2o.dll");
    if (!glide) {
        fprintf(stderr, "Rodoz2o.dll was not found\n");
        return 0;
    }
#define DEMO_FIND(returnType, name, parameters, bytes)                                                      \
    p_##name = (PFN_##name)(void*)GetProcAddress(glide, ZELK_GLIDE_EXPORT_NAME(name, bytes));                \
    if (!p_##name) {                                                                                       \
        fprintf(stderr, "Rodoz2o.dll lacks %s\n", #name);                                                  \
        return 0;                                                                                          \
    }
    ZELK_GLIDE_FUNCTIONS(DEMO_FIND)
#undef DEMO_FIND
    return 1;
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND MakeWindow(int width, int height)
{
    WNDCLASSA windowClass;
    RECT frame = {0, 0, width, height};
    memset(&windowClass, 0, sizeof(windowClass));
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "GlideDemo";
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    RegisterClassA(&windowClass);
    AdjustWindowRect(&frame, WS_POPUP, FALSE);
    return CreateWindowExA(0, "GlideDemo", "Glide demo", WS_POPUP | WS_VISIBLE, 0, 0, frame.right - frame.left,
                           frame.bottom - frame.top, NULL, NULL, windowClass.hInstance, NULL);
}

static void PumpMessages(void)
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

/* ---- A tiny camera: world x right, y up, z into the screen. ---- */
static float g_width, g_height, g_focal;
static const float g_eyeY = 3.0f;

static GrVertex Project(float x, float y, float z, float r, float g, float b, float a, float s, float t)
{
    GrVertex v;
    float oow = 1.0f / z;
    memset(&v, 0, sizeof(v));
    v.x = g_width * 0.5f + g_focal * x * oow;
    v.y = g_height * 0.45f - g_focal * (y - g_eyeY) * oow;
    v.r = r;
    v.g = g;
    v.b = b;
    v.a = a;
    v.oow = oow;
    v.ooz = 65535.0f * oow;
    v.tmuvtx[0].sow = s * oow;
    v.tmuvtx[0].tow = t * oow;
    v.tmuvtx[0].oow = oow;
    return v;
}

/* A checkerboard with a soft ring, 256 x 256 texels of RGB 565. */
static FxU16 g_texels[256 * 256];

static void MakeTexture(void)
{
    int x, y;
    for (y = 0; y < 256; ++y) {
        for (x = 0; x < 256; ++x) {
            int light = ((x / 32) + (y / 32)) & 1;
            float dx = (float)x - 128.0f, dy = (float)y - 128.0f;
            float ring = 0.5f + 0.5f * cosf(sqrtf(dx * dx + dy * dy) * 0.15f);
            int r = light ? 230 : 60 + (int)(80 * ring);
            int g = light ? 200 : 40 + (int)(60 * ring);
            int b = light ? 150 : 30;
            g_texels[y * 256 + x] = (FxU16)(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        }
    }
}

/* The floor: one textured quad from near to far, repeated texture. */
static void DrawFloor(int textured)
{
    const float nearZ = 2.0f, farZ = 120.0f, halfWidth = 60.0f, repeat = 256.0f * 16.0f;
    GrVertex quad[4];
    quad[0] = Project(-halfWidth, 0.0f, nearZ, 255, 255, 255, 255, 0.0f, 0.0f);
    quad[1] = Project(halfWidth, 0.0f, nearZ, 255, 255, 255, 255, repeat, 0.0f);
    quad[2] = Project(halfWidth, 0.0f, farZ, 160, 160, 160, 255, repeat, repeat);
    quad[3] = Project(-halfWidth, 0.0f, farZ, 160, 160, 160, 255, 0.0f, repeat);
    p_guColorCombineFunction(textured ? GR_COLORCOMBINE_TEXTURE_TIMES_ITRGB : GR_COLORCOMBINE_ITRGB);
    p_grDrawPolygonVertexList(4, quad);
}

/* A cube lit by one directional light; only the faces towards the eye. */
static void DrawCube(float angle)
{
    static const float corners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                        {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    static const int faces[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 4, 7, 3}, {1, 2, 6, 5}, {3, 7, 6, 2}, {0, 1, 5, 4}};
    static const float colours[6][3] = {{230, 60, 50}, {60, 200, 80}, {60, 90, 230},
                                        {230, 200, 60}, {200, 80, 220}, {80, 210, 210}};
    const float light[3] = {-0.45f, 0.75f, -0.5f};
    const float cx = 0.0f, cy = 2.2f, cz = 9.0f, size = 1.6f;
    float world[8][3];
    float c = cosf(angle), s = sinf(angle), c2 = cosf(angle * 0.6f), s2 = sinf(angle * 0.6f);
    int i, f;
    for (i = 0; i < 8; ++i) {
        float x = corners[i][0], y = corners[i][1], z = corners[i][2];
        float x1 = c * x + s * z, z1 = -s * x + c * z;  /* about y */
        float y2 = c2 * y - s2 * z1, z2 = s2 * y + c2 * z1; /* about x */
        world[i][0] = cx + size * x1;
        world[i][1] = cy + size * y2;
        world[i][2] = cz + size * z2;
    }
    p_guColorCombineFunction(GR_COLORCOMBINE_ITRGB);
    for (f = 0; f < 6; ++f) {
        const float* a = world[faces[f][0]];
        const float* b = world[faces[f][1]];
        const float* d = world[faces[f][3]];
        float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        float w[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
        float n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        float length = sqrtf(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        float toEye[3] = {-a[0], g_eyeY - a[1], -a[2]};
        float diffuse, shade;
        GrVertex quad[4];
        int k;
        n[0] /= length;
        n[1] /= length;
        n[2] /= length;
        /* The faces' corners run clockwise seen from outside: n points inward. */
        if (-(n[0] * toEye[0] + n[1] * toEye[1] + n[2] * toEye[2]) <= 0.0f) {
            continue;
        }
        diffuse = -(n[0] * light[0] + n[1] * light[1] + n[2] * light[2]);
        shade = 0.25f + 0.75f * (diffuse > 0.0f ? diffuse : 0.0f);
        for (k = 0; k < 4; ++k) {
            const float* p = world[faces[f][k]];
            float edge = k == 0 ? 1.0f : 0.8f + 0.1f * (float)k; /* a little Gouraud shading */
            quad[k] = Project(p[0], p[1], p[2], colours[f][0] * shade * edge, colours[f][1] * shade * edge,
                              colours[f][2] * shade * edge, 255, 0, 0);
        }
        p_grDrawPolygonVertexList(4, quad);
    }
}

/* A translucent pane in front, alpha-blended over the scene. */
static void DrawPane(void)
{
    GrVertex quad[4];
    quad[0] = Project(-4.5f, 0.3f, 5.0f, 40, 120, 255, 150, 0, 0);
    quad[1] = Project(-0.8f, 0.3f, 5.0f, 40, 120, 255, 150, 0, 0);
    quad[2] = Project(-0.8f, 4.0f, 5.0f, 200, 230, 255, 60, 0, 0);
    quad[3] = Project(-4.5f, 4.0f, 5.0f, 200, 230, 255, 60, 0, 0);
    p_guColorCombineFunction(GR_COLORCOMBINE_ITRGB);
    p_guAlphaSource(GR_ALPHASOURCE_ITERATED_ALPHA);
    p_grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ONE, GR_BLEND_ZERO);
    p_grFogMode(GR_FOG_DISABLE);
    p_grDrawPolygonVertexList(4, quad);
    p_grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
}

int main(int argc, char** argv)
{
    static const GrScreenResolution_t resolutions[2] = {GR_RESOLUTION_640x480, GR_RESOLUTION_1024x768};
    const char* marker = argc > 1 ? argv[1] : NULL;
    int frames = argc > 2 ? atoi(argv[2]) : 90;
    const GrColor_t sky = 0x00A0B8D0;
    GrHwConfiguration hardware;
    GrFog_t fog[GR_FOG_TABLE_SIZE];
    GrTexInfo texture;
    HWND window;
    int textured, frame, opened = 0, i;

    if (!LoadGlide()) {
        return 1;
    }
    p_grGlideInit();
    if (!p_grSstQueryHardware(&hardware)) {
        fprintf(stderr, "no Glide hardware\n");
        return 1;
    }
    window = MakeWindow(1024, 768);
    /* 640 x 480 where the display offers it, else the display's own size. */
    for (i = 0; i < 2 && !opened; ++i) {
        opened = p_grSstWinOpen((FxU32)(ULONG_PTR)window, resolutions[i], GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                                GR_ORIGIN_UPPER_LEFT, 2, 1);
    }
    if (!opened) {
        fprintf(stderr, "grSstWinOpen failed\n");
        return 1;
    }
    g_width = (float)p_grSstScreenWidth();
    g_height = (float)p_grSstScreenHeight();
    g_focal = g_width * 0.8f;

    /* Texture: only where the board has texture memory. */
    textured = p_grTexMaxAddress(GR_TMU0) > 0;
    if (textured) {
        MakeTexture();
        texture.smallLod = GR_LOD_256;
        texture.largeLod = GR_LOD_256;
        texture.aspectRatio = GR_ASPECT_1x1;
        texture.format = GR_TEXFMT_RGB_565;
        texture.data = g_texels;
        p_grTexDownloadMipMap(GR_TMU0, p_grTexMinAddress(GR_TMU0), GR_MIPMAPLEVELMASK_BOTH, &texture);
        p_grTexSource(GR_TMU0, p_grTexMinAddress(GR_TMU0), GR_MIPMAPLEVELMASK_BOTH, &texture);
        p_grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
        p_grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
        p_grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
        p_grTexMipMapMode(GR_TMU0, GR_MIPMAP_DISABLE, FXFALSE);
    }
    printf("%s\n", textured ? "textured floor" : "no texture memory: untextured floor");

    p_guFogGenerateExp(fog, 0.035f);
    p_grFogColorValue(sky);
    p_grCullMode(GR_CULL_DISABLE);

    for (frame = 0; frame < frames; ++frame) {
        PumpMessages();
        p_grBufferClear(sky, 0, 0xFFFF);
        p_grFogTable(fog);
        p_grFogMode(GR_FOG_WITH_TABLE);
        DrawFloor(textured);
        DrawCube(0.6f + 0.03f * (float)frame);
        DrawPane();
        p_grBufferSwap(1);
    }
    p_grSstIdle();
    PumpMessages();

    if (marker) {
        FILE* file = fopen(marker, "w");
        DWORD start = GetTickCount();
        if (file) {
            fclose(file);
        }
        while (GetFileAttributesA(marker) != INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 60000) {
            PumpMessages();
            Sleep(50);
        }
    }
    p_grSstWinClose();
    p_grGlideShutdown();
    DestroyWindow(window);
    return 0;
}
