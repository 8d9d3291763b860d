// C interface of the core's resource module (res/ZeltaRes.so below the program directory).
// The messaging core loads the module and hands its dlopen handle out as the IM resource
// handle; the object library's CResourceLoader binds these functions by name from it.
// Everything the module returns stays owned by the module and is valid while it is loaded.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
#define ZELTARES_EXTERN extern "C"
#else
#define ZELTARES_EXTERN
#endif
#define ZELTARES_API ZELTARES_EXTERN __attribute__((visibility("default")))

// Version of this interface; a loader refuses a module that reports another one.
#define ZELTARES_API_VERSION 1

// Image kinds. Numbers are per kind: bitmap 102 and icon 102 are different images.
#define ZELTARES_CURSOR 1
#define ZELTARES_BITMAP 2
#define ZELTARES_ICON 3

// No mask colour: the image is drawn with an alpha channel only.
#define ZELTARES_NO_MASK 0xFFFFFFFFu

typedef struct ZeltaResImageInfo {
    int32_t width; // size at 100 %, in pixels (icons: the largest size at 100 %)
    int32_t height;
    int32_t tileWidth; // strips are cut into tiles of this size, left to right
    int32_t tileHeight;
    int32_t tileCount;
    int32_t hotSpotX; // cursors: the hot spot at 100 %; others 0
    int32_t hotSpotY;
    uint32_t maskColor; // 0x00BBGGRR that the users of the image treat as transparent
} ZeltaResImageInfo;

ZELTARES_API int32_t ZeltaRes_ApiVersion(void);

// The text of a number, not terminated, and its length in UTF-16 units; null when the
// module has no such text.
ZELTARES_API const char16_t* ZeltaRes_FindString(uint32_t id, int32_t* length);
// Copies the text into buffer (at most capacity - 1 units, always terminated) and returns
// the units copied; 0 when the text is missing or the buffer has no room.
ZELTARES_API int32_t ZeltaRes_LoadString(uint32_t id, char16_t* buffer, int32_t capacity);
// Writes up to capacity text numbers in ascending order and returns how many there are.
ZELTARES_API int32_t ZeltaRes_EnumStrings(uint32_t* ids, int32_t capacity);

// Facts about an image; 0 when the module has no such image.
ZELTARES_API int32_t ZeltaRes_GetImageInfo(uint32_t kind, uint32_t id, ZeltaResImageInfo* info);
// PNG bytes of a bitmap or cursor at scale 1 (100 %) or 2 (200 %); null when missing.
ZELTARES_API const uint8_t* ZeltaRes_FindImage(uint32_t kind, uint32_t id, int32_t scale,
                                               int32_t* bytes);
// PNG bytes of an icon drawn for pixels x pixels; null when the icon lacks that size.
ZELTARES_API const uint8_t* ZeltaRes_FindIcon(uint32_t id, int32_t pixels, int32_t* bytes);
// Writes up to capacity pixel sizes of an icon in ascending order and returns how many
// there are (0 for a missing icon).
ZELTARES_API int32_t ZeltaRes_GetIconSizes(uint32_t id, int32_t* sizes, int32_t capacity);
// Writes up to capacity numbers of one image kind in ascending order and returns how many
// there are.
ZELTARES_API int32_t ZeltaRes_EnumImages(uint32_t kind, uint32_t* ids, int32_t capacity);
