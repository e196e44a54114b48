#pragma once
// The host's plug-in API (library "tsxapi"): plain C calls over the host's scene, clock,
// views, renderer and scene files, plus the records a plug-in reads and the contract a
// plug-in module exports. Every call is safe to make with a stale or null handle: it then
// returns its failure value (0, null or nothing) and changes nothing.
//
// Conventions of this header:
// - Handles (scene objects, nodes, polyhedra, files, screen buffers, windows) are opaque
//   pointers. Node handles are never reused, so a deleted node's handle stays invalid.
// - CtsxTxmx3f is an affine map of column vectors: p' = rot * p + trans, rot given by rows.
// - Angles are radians unless a name says degrees.
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- handles ---------------------------------------------------------------------- */

typedef void tsxSOBJ;          /* a scene object (every node is one) */
typedef void tsxGNODE;         /* a node of the scene tree */
typedef void tsxMNODE;         /* a node that has axes (every node here) */
typedef void tsxPOLYHEDRON;    /* a node of type e_tsxPOLYHEDRON */
typedef void tsxFILE;          /* a scene-file chunk, valid inside a file callback only */
typedef void tssSCREENBUFFER;  /* the render's float image */
typedef void* tsxHWND;         /* a window of the window system */

/* ---- vectors and matrices --------------------------------------------------------- */

typedef struct CtsxVec3f {
  float x, y, z;
} CtsxVec3f;

/* Three rotation rows and a translation. Applied to a column vector v:
   v'.i = rot[i][0] v.x + rot[i][1] v.y + rot[i][2] v.z + trans[i]. */
typedef struct CtsxTxmx3f {
  float rot[3][3];
  float trans[3];
} CtsxTxmx3f;

typedef struct CtsxUV {
  float u, v;
} CtsxUV;

/* ---- node type codes -------------------------------------------------------------- */

enum {
  e_tsxFIRST_PLUGIN_TYPE = 10, /* tsxObjectDefine numbers plug-in types from here */
  e_tsxLAST_PLUGIN_TYPE = 99,  /* plug-in objects are not groups, so they stay below 100 */
  e_tsxGROUP = 100,            /* codes of 100 and more are groups (may have children) */
  e_tsxPOLYHEDRON = 201
};

/* ---- pens of the views ------------------------------------------------------------ */

typedef enum tsxPEN {
  e_tsxPEN_BACKGROUND = 0,
  e_tsxPEN_GRID = 1,
  e_tsxPEN_ACTIVE = 2,
  e_tsxPEN_SCENE = 3,
  e_tsxPEN_ACTIVESUB = 4,
  e_tsxPEN_INACTIVESUB = 5,
  e_tsxPEN_CONTROL = 6,
  e_tsxPEN_ACTIVECONTROL = 7,
  e_tsxPEN_RED = 8,
  e_tsxPEN_GREEN = 9,
  e_tsxPEN_BLUE = 10
} tsxPEN;

/* Index markers of a line list: -2 starts a new polyline, -1 ends the list. */
enum { e_tsxLINELIST_BREAK = -2, e_tsxLINELIST_END = -1 };

/* View modes: 0 and 4 are perspective, every other mode is orthographic (looking along
   the camera's direction; the half width of the view is |target - eye| * tan(fov / 2)). */
enum { e_tsxVIEW_PERSPECTIVE = 0, e_tsxVIEW_CAMERA = 4 };

/* ---- polyhedron faces ------------------------------------------------------------- */

typedef struct tsxCORNER {
  int32_t vertexIndex; /* into the vertex array */
  int32_t uvIndex;     /* into the UV array, -1 for none */
  int32_t reserved[3];
} tsxCORNER;

typedef struct tsxFACE {
  int16_t nbrCorners;
  int16_t reserved;
  tsxCORNER* corners; /* nbrCorners records */
} tsxFACE;

/* ---- events ----------------------------------------------------------------------- */

/* Event classes of tsxRegisterEventCallback. */
enum {
  e_tsxEVENT_RENDER = 0,
  e_tsxEVENT_MOUSE = 1,
  e_tsxEVENT_VIEWMSG = 2,
  e_tsxEVENT_GENERAL = 3
};

/* Sub-codes: the first u32 of every event data record. */
enum {
  e_tsxRENDER_INIT = 0,
  e_tsxRENDER_BEGIN = 1,
  e_tsxRENDER_END = 2,
  e_tsxRENDER_FRAME_START = 3,
  e_tsxRENDER_FRAME_END = 4,
  e_tsxRENDER_ABORT = 5,
  e_tsxRENDER_ERROR = 6
};
enum { e_tsxMOUSE_MESSAGE = 1, e_tsxMOUSE_EVENT = 2, e_tsxMOUSE_DRAG = 3 };
enum {
  e_tsxGENERAL_APP_START = 0,
  e_tsxGENERAL_APP_CLOSE = 1,
  e_tsxGENERAL_SCENE_CLOSE = 2,
  e_tsxGENERAL_SCENE_NEW = 3,
  e_tsxGENERAL_SCENE_LOAD = 4
};

typedef struct tsxEventRenderData {
  uint32_t eventCode;
  float frame; /* the frame being rendered */
} tsxEventRenderData;

typedef struct tsxEventMouseData {
  uint32_t eventCode;
  int32_t x, y;     /* drawport pixels */
  uint32_t buttons; /* bit 0 left, bit 1 right, bit 2 middle */
} tsxEventMouseData;

typedef struct tsxEventViewMsgData {
  uint32_t eventCode; /* the window message */
  uint32_t reserved;
  uintptr_t wParam;
  intptr_t lParam;
} tsxEventViewMsgData;

typedef struct tsxEventGeneralData {
  uint32_t eventCode;
} tsxEventGeneralData;

typedef void (*tsxEVENT_CALLBACK)(int eventClass, void* eventData);

/* ---- rendering -------------------------------------------------------------------- */

/* The current render's settings; tsxRenderGetData returns the host's own record. */
typedef struct tsxRenderData {
  uint32_t size;        /* 0: sizeof(tsxRenderData) */
  float frame;          /* 4 */
  int32_t imageWidth;   /* 8 */
  int32_t imageHeight;  /* 12 */
  int32_t reserved16;   /* 16 */
  int32_t regionFlag;   /* 20: non-zero when only a region is rendered */
  int16_t regionX0;     /* 24: region, inclusive on both ends */
  int16_t regionY0;     /* 26 */
  int16_t regionX1;     /* 28 */
  int16_t regionY1;     /* 30 */
  int32_t reserved32[8];
  int32_t fitMode;      /* 64: 0 the image's width spans the view's, 1 its height */
  int32_t reserved68;
} tsxRenderData;

/* External shader kinds (tsxRegisterExternalShader). This host has a post-process stage
   only; it refuses the foreground and background kinds. */
enum { e_tssSHADER_FOREGROUND = 5, e_tssSHADER_BACKGROUND = 6, e_tssSHADER_POSTPROCESS = 7 };

/* Scanline formats: floats per pixel, channels on the 0..1 scale; depth is the square of
   the view depth, 1e30 where nothing was rendered. Alpha is 1 where geometry was drawn. */
enum {
  e_tssSCANLINE_RGBA = 4,  /* R, G, B, A */
  e_tssSCANLINE_RGBZ = 5,  /* R, G, B, depth */
  e_tssSCANLINE_RGBAZ = 6  /* R, G, B, A, depth */
};

typedef struct tssPostProcessData {
  int32_t width;                 /* 0 */
  int32_t height;                /* 4 */
  tssSCREENBUFFER* screenBuffer; /* 8 */
} tssPostProcessData;

typedef int32_t tssACTION; /* 0 load, 1 unload, 2 init, 3 and 4 render */
enum {
  e_tssACTION_LOAD = 0,
  e_tssACTION_UNLOAD = 1,
  e_tssACTION_INIT = 2,
  e_tssACTION_RENDER = 3,
  e_tssACTION_RENDER_NEXT = 4
};

/* Never built by this host (it has no foreground or background stage). */
typedef struct tssForegroundData tssForegroundData;
typedef struct tssBackgroundData tssBackgroundData;

typedef void (*tssSHADER_CALLBACK)(void); /* cast to the kind's own type */
typedef void (*tssPOSTPROCESS_CALLBACK)(tssPostProcessData* data);
typedef void (*tssFOREGROUND_CALLBACK)(tssForegroundData* data, tssACTION action);
typedef void (*tssBACKGROUND_CALLBACK)(tssBackgroundData* data, tssACTION action);

/* ---- plug-in object types --------------------------------------------------------- */

typedef int32_t tsxOBJECT_CHANGE; /* kind of geometry change; this host raises none */

enum { e_tsxFILE_READ = 0, e_tsxFILE_WRITE = 1 };
enum { e_tsxFILE_BINARY = 0, e_tsxFILE_ASCII = 1 };

/* Draw modes of the draw callback: how the object stands in the view being drawn. */
enum {
  e_tsxDRAW_SELECTED = 1,     /* the selected object */
  e_tsxDRAW_ACTIVESUB = 2,    /* below the selected object */
  e_tsxDRAW_SCENE = 3,        /* any other object */
  e_tsxDRAW_INACTIVESUB = 4   /* not used by this host */
};

typedef int (*tsxOBJ_DELETE_CB)(tsxSOBJ* obj);
typedef int (*tsxOBJ_CLONE_CB)(tsxSOBJ* obj, tsxSOBJ* clone);
typedef int (*tsxOBJ_FILE_CB)(tsxSOBJ* obj, tsxFILE* fd, int direction, int format);
/* arg identifies the view being drawn; pass it on to tsxAViewDrawLinelist. */
typedef int (*tsxOBJ_DRAW_CB)(tsxSOBJ* obj, int mode, int arg);
typedef int (*tsxOBJ_TRANSFORM_CB)(tsxSOBJ* obj, CtsxTxmx3f* trans, int flags);
/* box: minimum then maximum (two vectors); matrix: the map to apply, or null for the
   object's own node transform. The host asks with the identity for local bounds. */
typedef int (*tsxOBJ_BOUNDS_CB)(tsxSOBJ* obj, CtsxVec3f* box, CtsxTxmx3f* matrix);
typedef int (*tsxOBJ_QUERY_CB)(tsxSOBJ* obj);
typedef int (*tsxOBJ_CHANGED_CB)(tsxSOBJ* obj, tsxOBJECT_CHANGE aType);

/* The callback record given to tsxObjectDefine: 11 pointer-sized entries. The host copies
   it. Entry 0 must be 3 (the record's version). The host calls delete, clone, file, draw
   and bounds; it never calls transform, the two queries or geometry-changed. */
typedef struct tsxOBJTYPE_CALLBACKS {
  intptr_t version;               /* 0: 3 */
  tsxOBJ_DELETE_CB deleteObj;     /* 1 */
  tsxOBJ_CLONE_CB cloneObj;       /* 2 */
  tsxOBJ_FILE_CB fileIO;          /* 3 */
  tsxOBJ_DRAW_CB draw;            /* 4 */
  tsxOBJ_TRANSFORM_CB transform;  /* 5 */
  tsxOBJ_BOUNDS_CB bounds;        /* 6 */
  void* reserved7;                /* 7: 0 */
  tsxOBJ_QUERY_CB query8;         /* 8 */
  tsxOBJ_CHANGED_CB changed;      /* 9 */
  tsxOBJ_QUERY_CB query10;        /* 10 */
} tsxOBJTYPE_CALLBACKS;

enum { e_tsxOBJTYPE_CALLBACKS_VERSION = 3 };

/* ---- the plug-in contract --------------------------------------------------------- */

/* The descriptor tsxGetData fills: 100 bytes. */
typedef struct tsxPluginDescriptor {
  char title[32];  /* characters then NUL */
  char author[64]; /* characters then NUL */
  uint16_t bitmapResourceId;
  uint16_t stringResourceId;
} tsxPluginDescriptor;

/* API version of this host, as tsxGetVersion answers it. */
enum { e_tsxAPI_VERSION = 430 };

/* The five exports of a plug-in module, looked up by these names. */
typedef int (*tsxGetVersion_fn)(void);
typedef void (*tsxGetData_fn)(tsxPluginDescriptor* descriptor, int pluginId);
typedef int (*tsxOnLeftClick_fn)(void);
typedef void (*tsxOnRightClick_fn)(void);
typedef void (*tsxDeactivate_fn)(void);

/* ---- vectors ---------------------------------------------------------------------- */

void tsxAddVec3f(CtsxVec3f* a, const CtsxVec3f* b);                      /* a += b */
void tsxAddToVec3f(const CtsxVec3f* a, const CtsxVec3f* b, CtsxVec3f* c); /* c = a + b */
void tsxSubVec3f(CtsxVec3f* a, const CtsxVec3f* b);                      /* a -= b */
void tsxSubToVec3f(const CtsxVec3f* a, const CtsxVec3f* b, CtsxVec3f* c); /* c = b - a */
void tsxMulScalar3f(CtsxVec3f* v, float s);                              /* v *= s */
float tsxMagnitude3f(const CtsxVec3f* v);
float tsxDProdVec3f(const CtsxVec3f* a, const CtsxVec3f* b);
/* out = v mirrored at the plane whose normal is n: v - 2 (v . n') n', n' = n / |n|. */
void tssReflect(CtsxVec3f* out, const CtsxVec3f* v, const CtsxVec3f* n);

/* ---- matrices --------------------------------------------------------------------- */

void tsxTransformVect3f(const CtsxVec3f* src, CtsxVec3f* dst, const CtsxTxmx3f* m);
void tsxRotateVect3f(const CtsxVec3f* src, CtsxVec3f* dst, const CtsxTxmx3f* m);
/* Right-handed rotation by angle about the line through point along axis. flags: pass 0. */
void tsxMakeRotMx3f(const CtsxVec3f* point, const CtsxVec3f* axis, float angle, CtsxTxmx3f* out,
                    int flags);
/* out = a * b: applying out is applying b first, then a. out may be a or b. */
void tsxXProdMx3f(CtsxTxmx3f* out, const CtsxTxmx3f* a, const CtsxTxmx3f* b);
/* 1 on success; a singular m gives 0 and the identity. */
int tsxInvertMx3f(CtsxTxmx3f* out, const CtsxTxmx3f* m);
/* m = rotation * diag(scale) + translation: scale = the lengths of m's columns (the last
   one negative for a mirroring m); rotation has translation 0. */
void tsxUnMatrix3f(const CtsxTxmx3f* m, CtsxTxmx3f* rotation, CtsxVec3f* scale);
void tsxGetMxTranslation3f(CtsxVec3f* out, const CtsxTxmx3f* m);

/* ---- nodes ------------------------------------------------------------------------ */

/* World transform at the node's evaluation time. */
int tsxGNodeGetTransform(tsxGNODE* node, CtsxTxmx3f* out);
/* Extent of the node's local bounds times its own scale. */
int tsxGNodeGetSize(tsxGNODE* node, CtsxVec3f* out);
tsxGNODE* tsxGNodeGetRoot(tsxGNODE* node); /* the top-level ancestor, the node itself at top */
tsxGNODE* tsxGNodeGetParent(tsxGNODE* node);
tsxGNODE* tsxGNodeGetFirstChild(tsxGNODE* node);
tsxGNODE* tsxGNodeGetNext(tsxGNODE* node);
int tsxGNodeSetName(tsxGNODE* node, const char* name);
/* Puts the node's axes (its origin) at a world point; polyhedra keep their world shape. */
int tsxMNodeSetAxesPosition(tsxMNODE* node, const CtsxVec3f* point);

/* ---- polyhedra (vertices in local space; the vertex transform is the world map) --- */

int tsxPolyhGetNbrVxs(tsxPOLYHEDRON* p);
CtsxVec3f* tsxPolyhGetVxArray(tsxPOLYHEDRON* p);
int tsxPolyhGetVxTxmx(tsxPOLYHEDRON* p, CtsxTxmx3f* out);
int tsxPolyhGetNbrUV(tsxPOLYHEDRON* p);
CtsxUV* tsxPolyhGetUVArray(tsxPOLYHEDRON* p);
int tsxPolyhGetNbrFaces(tsxPOLYHEDRON* p);
tsxFACE** tsxPolyhGetFaceptrArray(tsxPOLYHEDRON* p);
/* Unit normal of a face of p (a pointer from its face array), in local space. */
int tsxPolyhGetFaceNormal(tsxPOLYHEDRON* p, tsxFACE* face, CtsxVec3f* out);

/* ---- time (frames) ---------------------------------------------------------------- */

float tsxAnimGetActiveTime(void);              /* the timeline */
void tsxAnimSetActiveTime(float frame);        /* moves the timeline and evaluates the scene */
void tsxAnimSetActiveTimeScene(float frame);   /* evaluates the scene; the timeline stays */
int tsxAnimSetActiveTimeObject(tsxSOBJ* obj, float frame); /* evaluates one object */
/* First and last key frame of the object; 0 and 0 (result 0) without keys. */
int tsxSobjGetMinMaxTime(tsxSOBJ* obj, float* first, float* last);

/* ---- views ------------------------------------------------------------------------ */

tsxHWND tsxGetMainViewHwnd(void); /* 0 while the host closes */
tsxHWND tsxAViewGetHwnd(void);
int tsxAViewGetDrawportSize(int* width, int* height);
int tsxAViewGetViewMode(void);
/* World to viewport: q = m p; q.x / q.z and q.y / q.z run over [-1, 1] across the drawport
   (y down), q.z is the view depth. In orthographic modes q.x and q.y are already in
   [-1, 1]. */
int tsxAViewGetWorld2VportTxmx(CtsxTxmx3f* out);
/* Eye space: x right, y down, z forward; translation is the eye. */
int tsxAViewGetEye2WorldTxmx(CtsxTxmx3f* out);
/* Affine map from drawport pixels (vx, vy) to render image pixels:
   x = out[0] vx + out[1] vy + out[2], y = out[3] vx + out[4] vy + out[5]. */
int tsxAviewGetEyeToRenderTxmx(int drawportWidth, int drawportHeight, int imageWidth,
                               int imageHeight, int fitMode, float out[6]);
void tsxAViewRefresh(void);
void tsxAllViewsRefresh(void);
void tsxAViewSetPen(tsxPEN pen);
/* Draws polylines of vertices (mapped by m) with the current pen into view arg (0: the
   active view). Non-zero on success; 0 for an index outside the vertex count. */
int tsxAViewDrawLinelist(const CtsxTxmx3f* m, const CtsxVec3f* vertices, int count,
                         const int32_t* indices, int arg);

/* ---- render ----------------------------------------------------------------------- */

tsxRenderData* tsxRenderGetData(void);
/* Line 0 is the region's first row, pixel 0 its left column; a line holds the region's
   width of pixels in the given format. 1 on success. */
int tssScreenBufferGetScanLine(tssSCREENBUFFER* buffer, int line, int format, float* pixels);
int tssScreenBufferSetScanLine(tssSCREENBUFFER* buffer, int line, int format,
                               const float* pixels);
/* Shows pixels x0..x1 (4 floats each) of row y; lines is the caller's row count. */
void tsxRenderDisplayScanline(const float* rgba, int x0, int x1, int y, int lines);
int tsxRenderCheckInterrupt(void); /* 1 = stop */
int tsxCheckAbort(void);           /* 1 = stop */

/* ---- objects ---------------------------------------------------------------------- */

/* The new type id (or the existing one for a name defined before), 0 on failure. */
int tsxObjectDefine(int pluginId, const char* name, const tsxOBJTYPE_CALLBACKS* callbacks,
                    int reserved);
tsxSOBJ* tsxObjectCreate(int type); /* a new object outside the scene, or 0 */
int tsxSceneAddObject(tsxSOBJ* obj, int reserved); /* adds at the top level */
int tsxSobjGetType(tsxSOBJ* obj);                   /* 0 for no object */
int tsxSelectSobj(tsxSOBJ* obj);
int tsxSelectUp(void); /* the selection moves to its parent; none from the top level */
int tsxSobjDelete(tsxSOBJ* obj); /* calls the type's delete callback, then removes it */

/* ---- callbacks -------------------------------------------------------------------- */

int tsxRegisterEventCallback(int eventClass, tsxEVENT_CALLBACK callback, int enable);
int tsxRegisterExternalShader(int kind, tssSHADER_CALLBACK callback, int enable);

/* ---- scene-file chunks: fread/fwrite on a chunk bounded to its length ------------- */

size_t tsxFILEread(void* buffer, size_t size, size_t count, tsxFILE* fd);
size_t tsxFILEwrite(const void* buffer, size_t size, size_t count, tsxFILE* fd);

/* ---- also looked up by name ------------------------------------------------------- */

void tsxForceLeftClick(int pluginId); /* the host clicks the plug-in's icon */
void tsxGetTsVersionNbrs(int* major, int* minor);

#ifdef __cplusplus
}  // extern "C"

// Byte layouts plug-ins read.
static_assert(sizeof(CtsxVec3f) == 12);
static_assert(sizeof(CtsxTxmx3f) == 48 && offsetof(CtsxTxmx3f, trans) == 36);
static_assert(sizeof(tsxCORNER) == 20 && offsetof(tsxCORNER, vertexIndex) == 0);
static_assert(offsetof(tsxFACE, nbrCorners) == 0);
static_assert(offsetof(tsxFACE, corners) == (sizeof(void*) == 8 ? 8 : 4));
static_assert(offsetof(tsxEventRenderData, eventCode) == 0);
static_assert(offsetof(tsxEventMouseData, eventCode) == 0);
static_assert(offsetof(tsxEventViewMsgData, eventCode) == 0);
static_assert(offsetof(tsxEventGeneralData, eventCode) == 0);
static_assert(offsetof(tsxRenderData, imageWidth) == 8);
static_assert(offsetof(tsxRenderData, imageHeight) == 12);
static_assert(offsetof(tsxRenderData, regionFlag) == 20);
static_assert(offsetof(tsxRenderData, regionX0) == 24);
static_assert(offsetof(tsxRenderData, regionY0) == 26);
static_assert(offsetof(tsxRenderData, regionX1) == 28);
static_assert(offsetof(tsxRenderData, regionY1) == 30);
static_assert(offsetof(tsxRenderData, fitMode) == 64);
static_assert(offsetof(tssPostProcessData, width) == 0);
static_assert(offsetof(tssPostProcessData, height) == 4);
static_assert(offsetof(tssPostProcessData, screenBuffer) == 8);
static_assert(sizeof(tsxPluginDescriptor) == 100);
static_assert(offsetof(tsxPluginDescriptor, author) == 32);
static_assert(offsetof(tsxPluginDescriptor, bitmapResourceId) == 96);
static_assert(offsetof(tsxPluginDescriptor, stringResourceId) == 98);
static_assert(sizeof(tsxOBJTYPE_CALLBACKS) == 11 * sizeof(void*));
static_assert(offsetof(tsxOBJTYPE_CALLBACKS, deleteObj) == 1 * sizeof(void*));
static_assert(offsetof(tsxOBJTYPE_CALLBACKS, draw) == 4 * sizeof(void*));
static_assert(offsetof(tsxOBJTYPE_CALLBACKS, bounds) == 6 * sizeof(void*));
static_assert(offsetof(tsxOBJTYPE_CALLBACKS, changed) == 9 * sizeof(void*));
static_assert(offsetof(tsxOBJTYPE_CALLBACKS, query10) == 10 * sizeof(void*));
#endif
