/*
 * A small Glide 2.x program: a lit, rotating cube over a textured floor that
 * fades into fog, seen through a translucent pane, with a badge written
 * straight into the frame buffer over each frame.  It loads the Glide runtime
 * by name, draws a number of frames, reads its last frame back from the frame
 * buffer and saves it as a binary PPM picture.
 *
 *   GlideDemo <picture.ppm> [frames]
 *
 * The picture needs back-buffer reading switched on in the settings.
 */
#include <windows.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "glideapi/Glide2.h"

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

/* The floor: the part of the plane y = 0 between the bottom of the screen
 * and a far edge that the fog hides; Glide draws no vertex off the screen,
 * so the polygon is found in screen space and carried back to the plane. */
static GrVertex FloorPoint(float x, float y)
{
    const float texelsPerUnit = 64.0f;
    float z = g_eyeY * g_focal / (y - g_height * 0.45f);
    float worldX = (x - g_width * 0.5f) * z / g_focal;
    float light = 255.0f - 90.0f * (z / 120.0f);
    return Project(worldX, 0.0f, z, light, light, light, 255.0f, worldX * texelsPerUnit, z * texelsPerUnit);
}

static void DrawFloor(int textured)
{
    const float farZ = 120.0f;
    float horizon = g_height * 0.45f + g_eyeY * g_focal / farZ;
    GrVertex quad[4];
    quad[0] = FloorPoint(0.0f, g_height - 1.0f);
    quad[1] = FloorPoint(g_width - 1.0f, g_height - 1.0f);
    quad[2] = FloorPoint(g_width - 1.0f, horizon);
    quad[3] = FloorPoint(0.0f, horizon);
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
    p_grDepthMask(FXFALSE);
    p_grDrawPolygonVertexList(4, quad);
    p_grDepthMask(FXTRUE);
    p_grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
}

/* ---- The badge: a framed plate with a word on it, in RGB 565. ---- */
#define BADGE_SCALE 3
#define GLYPH_WIDTH 5
#define GLYPH_HEIGHT 7

/* 5 x 7 capitals, one byte a row, the leftmost column in bit 4. */
static const unsigned char* Glyph(char letter)
{
    static const unsigned char glyphs[][GLYPH_HEIGHT] = {
        {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}, /* Z */
        {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}, /* E */
        {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}, /* L */
        {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}, /* K */
        {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}, /* G */
        {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}, /* I */
        {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}, /* D */
        {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, /* anything else */
    };
    static const char letters[] = "ZELKGID";
    const char* at = strchr(letters, letter);
    return glyphs[at && letter ? at - letters : 7];
}

static FxU16 Rgb565(int r, int g, int b)
{
    return (FxU16)(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

static const char g_badgeText[] = "ZELKGLIDE";
#define BADGE_BORDER 6
#define BADGE_WIDTH ((int)(sizeof(g_badgeText) - 1) * (GLYPH_WIDTH + 1) * BADGE_SCALE + 2 * BADGE_BORDER + BADGE_SCALE)
#define BADGE_HEIGHT (GLYPH_HEIGHT * BADGE_SCALE + 2 * BADGE_BORDER + 2 * BADGE_SCALE)
static FxU16 g_badge[BADGE_HEIGHT * BADGE_WIDTH];

/* Dark plate, a gold frame with a thin dark line inside it, gold letters
 * with a shadow; the plate shades from top to bottom. */
static void MakeBadge(void)
{
    const int textLeft = BADGE_BORDER + BADGE_SCALE, textTop = BADGE_BORDER + BADGE_SCALE;
    int x, y;
    for (y = 0; y < BADGE_HEIGHT; ++y) {
        for (x = 0; x < BADGE_WIDTH; ++x) {
            int edge = x < y ? x : y;
            int fromRight = BADGE_WIDTH - 1 - x, fromBottom = BADGE_HEIGHT - 1 - y;
            FxU16 pixel = Rgb565(20, 30 + 40 * y / BADGE_HEIGHT, 70 + 50 * y / BADGE_HEIGHT);
            if (fromRight < edge) {
                edge = fromRight;
            }
            if (fromBottom < edge) {
                edge = fromBottom;
            }
            if (edge < 3) {
                pixel = Rgb565(250, 200, 60);
            } else if (edge == 3) {
                pixel = Rgb565(10, 10, 20);
            }
            g_badge[y * BADGE_WIDTH + x] = pixel;
        }
    }
    for (y = 0; y < GLYPH_HEIGHT * BADGE_SCALE; ++y) {
        for (x = 0; x < (int)(sizeof(g_badgeText) - 1) * (GLYPH_WIDTH + 1) * BADGE_SCALE; ++x) {
            int cell = x / ((GLYPH_WIDTH + 1) * BADGE_SCALE);
            int column = (x / BADGE_SCALE) % (GLYPH_WIDTH + 1);
            const unsigned char* glyph = Glyph(g_badgeText[cell]);
            if (column < GLYPH_WIDTH && (glyph[y / BADGE_SCALE] >> (GLYPH_WIDTH - 1 - column)) & 1) {
                g_badge[(textTop + y + 1) * BADGE_WIDTH + textLeft + x + 1] = Rgb565(0, 0, 0);
                g_badge[(textTop + y) * BADGE_WIDTH + textLeft + x] = Rgb565(255, 220, 90);
            }
        }
    }
}

/* The badge in the top-right corner, written over the finished scene. */
static void DrawBadge(void)
{
    p_grLfbWriteRegion(GR_BUFFER_BACKBUFFER, (FxU32)g_width - BADGE_WIDTH - 16, 16, GR_LFB_SRC_FMT_565, BADGE_WIDTH,
                       BADGE_HEIGHT, BADGE_WIDTH * 2, g_badge);
}

/* Reads the back buffer as RGB 565 and writes it as a binary PPM. */
static int SavePicture(const char* path)
{
    const int width = (int)g_width, height = (int)g_height;
    FxU16* pixels = (FxU16*)malloc((size_t)width * height * 2);
    unsigned char* row = (unsigned char*)malloc((size_t)width * 3);
    FILE* file = NULL;
    int ok = pixels && row &&
             p_grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, width, height, width * 2, pixels);
    if (ok) {
        /* With back-buffer reading off the runtime hands back black. */
        int x, lit = 0;
        for (x = 0; x < width * height && !lit; ++x) {
            lit = pixels[x] != 0;
        }
        ok = lit;
    }
    if (!ok) {
        fprintf(stderr, "the frame buffer could not be read (is back-buffer reading on?)\n");
    } else if (!(file = fopen(path, "wb"))) {
        fprintf(stderr, "%s cannot be written\n", path);
        ok = 0;
    } else {
        int x, y;
        fprintf(file, "P6\n%d %d\n255\n", width, height);
        for (y = 0; y < height && ok; ++y) {
            for (x = 0; x < width; ++x) {
                FxU16 p = pixels[y * width + x];
                int r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
                row[x * 3] = (unsigned char)((r << 3) | (r >> 2));
                row[x * 3 + 1] = (unsigned char)((g << 2) | (g >> 4));
                row[x * 3 + 2] = (unsigned char)((b << 3) | (b >> 2));
            }
            ok = fwrite(row, 3, (size_t)width, file) == (size_t)width;
        }
        if (fclose(file) != 0 || !ok) {
            fprintf(stderr, "%s could not be written completely\n", path);
            ok = 0;
        }
    }
    free(row);
    free(pixels);
    return ok;
}

int main(int argc, char** argv)
{
    static const GrScreenResolution_t resolutions[2] = {GR_RESOLUTION_640x480, GR_RESOLUTION_1024x768};
    const char* picture = argc > 1 ? argv[1] : NULL;
    int frames = argc > 2 ? atoi(argv[2]) : 90;
    const GrColor_t sky = 0x00A0B8D0;
    GrHwConfiguration hardware;
    GrFog_t fog[GR_FOG_TABLE_SIZE];
    GrTexInfo texture;
    HWND window;
    int textured, frame, opened = 0, saved = 1, i;

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

    /* Depth: 65535 / z per vertex, the nearer the larger. */
    p_grDepthBufferMode(GR_DEPTHBUFFER_ZBUFFER);
    p_grDepthBufferFunction(GR_CMP_GREATER);
    p_grDepthMask(FXTRUE);

    p_guFogGenerateExp(fog, 0.035f);
    p_grFogColorValue(sky);
    p_grCullMode(GR_CULL_DISABLE);

    MakeBadge();
    if (frames < 1) {
        frames = 1;
    }
    for (frame = 0; frame < frames; ++frame) {
        PumpMessages();
        p_grBufferClear(sky, 0, 0);
        p_grFogTable(fog);
        p_grFogMode(GR_FOG_WITH_TABLE);
        DrawFloor(textured);
        DrawCube(0.6f + 0.03f * (float)frame);
        DrawPane();
        DrawBadge();
        /* The last frame is saved before it is shown. */
        if (frame == frames - 1 && picture) {
            saved = SavePicture(picture);
        }
        p_grBufferSwap(1);
    }
    p_grSstIdle();
    PumpMessages();

    p_grSstWinClose();
    p_grGlideShutdown();
    DestroyWindow(window);
    return saved ? 0 : 1;
}
