#include "interface/VarnelPresets.h"

#include <cstring>

namespace {

// The 22 distinct configuration texts; several preset names share one.
// Each comment gives the channel count and the length without the zero.
// 4 channels, 239 characters.
const char kText01[] =
    "#_MAXIMUMINK=300;CHANNELS=4;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,240,300;CHANNEL_CONTACT00=1,2;HUEMASK01=180,240,0,60;"
    "CHANNEL_CONTACT01=0,2;HUEMASK02=300,0,120,180;CHANNEL_CONTACT02=0,1;BLACKMASK=3;"
    "*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText01) == 239 + 1, "text length");

// 5 channels, 287 characters.
const char kText02[] =
    "#_MAXIMUMINK=300;CHANNELS=5;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,210,240;CHANNEL_CONTACT00=2,4;HUEMASK01=240,270,0,60;"
    "CHANNEL_CONTACT01=2,4;HUEMASK02=300,0,120,180;CHANNEL_CONTACT02=0,1;BLACKMASK=3;"
    "HUEMASK04=180,210,270,300;CHANNEL_CONTACT04=0,1;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText02) == 287 + 1, "text length");

// 6 channels, 333 characters.
const char kText03[] =
    "#_MAXIMUMINK=300;CHANNELS=6;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=120,150,210,240;CHANNEL_CONTACT00=4,5;HUEMASK01=240,270,0,60;"
    "CHANNEL_CONTACT01=2,4;HUEMASK02=300,0,90,120;CHANNEL_CONTACT02=1,5;BLACKMASK=3;"
    "HUEMASK04=180,210,270,300;CHANNEL_CONTACT04=0,1;HUEMASK05=60,90,150,180;"
    "CHANNEL_CONTACT05=0,2;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText03) == 333 + 1, "text length");

// 6 channels, 335 characters.
const char kText04[] =
    "#_MAXIMUMINK=300;CHANNELS=6;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,200,220;CHANNEL_CONTACT00=2,4;HUEMASK01=260,280,0,60;"
    "CHANNEL_CONTACT01=2,5;HUEMASK02=300,0,120,180;CHANNEL_CONTACT02=0,1;BLACKMASK=3;"
    "HUEMASK04=180,200,240,260;CHANNEL_CONTACT04=0,5;HUEMASK05=220,240,280,300;"
    "CHANNEL_CONTACT05=1,4;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText04) == 335 + 1, "text length");

// 7 channels, 381 characters.
const char kText05[] =
    "#_MAXIMUMINK=300;CHANNELS=7;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=120,150,200,220;CHANNEL_CONTACT00=4,6;HUEMASK01=260,280,0,60;"
    "CHANNEL_CONTACT01=2,5;HUEMASK02=300,0,90,120;CHANNEL_CONTACT02=1,6;BLACKMASK=3;"
    "HUEMASK04=180,200,240,260;CHANNEL_CONTACT04=0,5;HUEMASK05=220,240,280,300;"
    "CHANNEL_CONTACT05=1,4;HUEMASK06=60,90,150,180;CHANNEL_CONTACT06=0,2;"
    "*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText05) == 381 + 1, "text length");

// 5 channels, 285 characters.
const char kText06[] =
    "#_MAXIMUMINK=300;CHANNELS=5;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,240,300;CHANNEL_CONTACT00=1,2;HUEMASK01=180,240,330,0;"
    "CHANNEL_CONTACT01=0,4;HUEMASK02=0,30,120,180;CHANNEL_CONTACT02=0,4;BLACKMASK=3;"
    "HUEMASK04=300,330,30,60;CHANNEL_CONTACT04=1,2;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText06) == 285 + 1, "text length");

// 6 channels, 333 characters.
const char kText07[] =
    "#_MAXIMUMINK=300;CHANNELS=6;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,210,240;CHANNEL_CONTACT00=2,5;HUEMASK01=240,270,330,0;"
    "CHANNEL_CONTACT01=4,5;HUEMASK02=0,30,120,180;CHANNEL_CONTACT02=0,4;BLACKMASK=3;"
    "HUEMASK04=300,330,30,60;CHANNEL_CONTACT04=1,2;HUEMASK05=180,210,270,300;"
    "CHANNEL_CONTACT05=0,1;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText07) == 333 + 1, "text length");

// 7 channels, 381 characters.
const char kText08[] =
    "#_MAXIMUMINK=300;CHANNELS=7;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,200,220;CHANNEL_CONTACT00=2,5;HUEMASK01=260,280,330,0;"
    "CHANNEL_CONTACT01=4,6;HUEMASK02=0,30,120,180;CHANNEL_CONTACT02=0,4;BLACKMASK=3;"
    "HUEMASK04=300,330,30,60;CHANNEL_CONTACT04=1,2;HUEMASK05=180,200,240,260;"
    "CHANNEL_CONTACT05=0,6;HUEMASK06=220,240,280,300;CHANNEL_CONTACT06=1,5;"
    "*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText08) == 381 + 1, "text length");

// 8 channels, 427 characters.
const char kText09[] =
    "#_MAXIMUMINK=300;CHANNELS=8;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=120,150,200,220;CHANNEL_CONTACT00=5,7;HUEMASK01=260,280,330,0;"
    "CHANNEL_CONTACT01=4,6;HUEMASK02=0,30,90,120;CHANNEL_CONTACT02=4,7;BLACKMASK=3;"
    "HUEMASK04=300,330,30,60;CHANNEL_CONTACT04=1,2;HUEMASK05=180,200,240,260;"
    "CHANNEL_CONTACT05=0,6;HUEMASK06=220,240,280,300;CHANNEL_CONTACT06=1,5;"
    "HUEMASK07=60,90,150,180;CHANNEL_CONTACT07=0,2;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText09) == 427 + 1, "text length");

// 6 channels, 331 characters.
const char kText10[] =
    "#_MAXIMUMINK=300;CHANNELS=6;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=120,150,240,300;CHANNEL_CONTACT00=1,5;HUEMASK01=180,240,330,0;"
    "CHANNEL_CONTACT01=0,4;HUEMASK02=0,30,90,120;CHANNEL_CONTACT02=4,5;BLACKMASK=3;"
    "HUEMASK04=300,330,30,60;CHANNEL_CONTACT04=1,2;HUEMASK05=60,90,150,180;"
    "CHANNEL_CONTACT05=0,2;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText10) == 331 + 1, "text length");

// 7 channels, 379 characters.
const char kText11[] =
    "#_MAXIMUMINK=300;CHANNELS=7;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=120,150,210,240;CHANNEL_CONTACT00=5,6;HUEMASK01=240,270,330,0;"
    "CHANNEL_CONTACT01=4,5;HUEMASK02=0,30,90,120;CHANNEL_CONTACT02=4,6;BLACKMASK=3;"
    "HUEMASK04=300,330,30,60;CHANNEL_CONTACT04=1,2;HUEMASK05=180,210,270,300;"
    "CHANNEL_CONTACT05=0,1;HUEMASK06=60,90,150,180;CHANNEL_CONTACT06=0,2;"
    "*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText11) == 379 + 1, "text length");

// 5 channels, 285 characters.
const char kText12[] =
    "#_MAXIMUMINK=300;CHANNELS=5;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=120,150,240,300;CHANNEL_CONTACT00=1,4;HUEMASK01=180,240,0,60;"
    "CHANNEL_CONTACT01=0,2;HUEMASK02=300,0,90,120;CHANNEL_CONTACT02=1,4;BLACKMASK=3;"
    "HUEMASK04=60,90,150,180;CHANNEL_CONTACT04=0,2;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText12) == 285 + 1, "text length");

// 6 channels, 331 characters.
const char kText13[] =
    "#_MAXIMUMINK=300;CHANNELS=6;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,240,300;CHANNEL_CONTACT00=1,2;HUEMASK01=180,240,320,340;"
    "CHANNEL_CONTACT01=0,4;HUEMASK02=20,40,120,180;CHANNEL_CONTACT02=0,5;BLACKMASK=3;"
    "HUEMASK04=300,320,0,20;CHANNEL_CONTACT04=1,5;HUEMASK05=340,0,40,60;"
    "CHANNEL_CONTACT05=2,4;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText13) == 331 + 1, "text length");

// 7 channels, 379 characters.
const char kText14[] =
    "#_MAXIMUMINK=300;CHANNELS=7;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,210,240;CHANNEL_CONTACT00=2,6;HUEMASK01=240,270,320,340;"
    "CHANNEL_CONTACT01=4,6;HUEMASK02=20,40,120,180;CHANNEL_CONTACT02=0,5;BLACKMASK=3;"
    "HUEMASK04=300,320,0,20;CHANNEL_CONTACT04=1,5;HUEMASK05=340,0,40,60;"
    "CHANNEL_CONTACT05=2,4;HUEMASK06=180,210,270,300;CHANNEL_CONTACT06=0,1;"
    "*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText14) == 379 + 1, "text length");

// 8 channels, 425 characters.
const char kText15[] =
    "#_MAXIMUMINK=300;CHANNELS=8;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=120,150,210,240;CHANNEL_CONTACT00=6,7;HUEMASK01=240,270,320,340;"
    "CHANNEL_CONTACT01=4,6;HUEMASK02=20,40,90,120;CHANNEL_CONTACT02=5,7;BLACKMASK=3;"
    "HUEMASK04=300,320,0,20;CHANNEL_CONTACT04=1,5;HUEMASK05=340,0,40,60;"
    "CHANNEL_CONTACT05=2,4;HUEMASK06=180,210,270,300;CHANNEL_CONTACT06=0,1;"
    "HUEMASK07=60,90,150,180;CHANNEL_CONTACT07=0,2;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText15) == 425 + 1, "text length");

// 8 channels, 427 characters.
const char kText16[] =
    "#_MAXIMUMINK=300;CHANNELS=8;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,200,220;CHANNEL_CONTACT00=2,6;HUEMASK01=260,280,320,340;"
    "CHANNEL_CONTACT01=4,7;HUEMASK02=20,40,120,180;CHANNEL_CONTACT02=0,5;BLACKMASK=3;"
    "HUEMASK04=300,320,0,20;CHANNEL_CONTACT04=1,5;HUEMASK05=340,0,40,60;"
    "CHANNEL_CONTACT05=2,4;HUEMASK06=180,200,240,260;CHANNEL_CONTACT06=0,7;"
    "HUEMASK07=220,240,280,300;CHANNEL_CONTACT07=1,6;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText16) == 427 + 1, "text length");

// 7 channels, 377 characters.
const char kText17[] =
    "#_MAXIMUMINK=300;CHANNELS=7;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=120,150,240,300;CHANNEL_CONTACT00=1,6;HUEMASK01=180,240,320,340;"
    "CHANNEL_CONTACT01=0,4;HUEMASK02=20,40,90,120;CHANNEL_CONTACT02=5,6;BLACKMASK=3;"
    "HUEMASK04=300,320,0,20;CHANNEL_CONTACT04=1,5;HUEMASK05=340,0,40,60;"
    "CHANNEL_CONTACT05=2,4;HUEMASK06=60,90,150,180;CHANNEL_CONTACT06=0,2;"
    "*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText17) == 377 + 1, "text length");

// 7 channels, 379 characters.
const char kText18[] =
    "#_MAXIMUMINK=300;CHANNELS=7;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=120,150,210,240;CHANNEL_CONTACT00=5,6;HUEMASK01=240,270,330,0;"
    "CHANNEL_CONTACT01=4,5;HUEMASK02=0,30,90,120;CHANNEL_CONTACT02=4,6;BLACKMASK=3;"
    "HUEMASK04=300,330,30,60;CHANNEL_CONTACT04=1,2;HUEMASK05=60,90,150,180;"
    "CHANNEL_CONTACT05=0,2;HUEMASK06=180,210,270,300;CHANNEL_CONTACT06=0,1;"
    "*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText18) == 379 + 1, "text length");

// 7 channels, 379 characters.
const char kText19[] =
    "#_MAXIMUMINK=300;CHANNELS=7;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=120,150,210,240;CHANNEL_CONTACT00=5,6;HUEMASK01=240,270,330,0;"
    "CHANNEL_CONTACT01=4,6;HUEMASK02=0,30,90,120;CHANNEL_CONTACT02=4,5;BLACKMASK=3;"
    "HUEMASK04=300,330,30,60;CHANNEL_CONTACT04=1,2;HUEMASK05=60,90,150,180;"
    "CHANNEL_CONTACT05=0,2;HUEMASK06=180,210,270,300;CHANNEL_CONTACT06=0,1;"
    "*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText19) == 379 + 1, "text length");

// 7 channels, 377 characters.
const char kText20[] =
    "#_MAXIMUMINK=300;CHANNELS=7;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,240,300;CHANNEL_CONTACT00=1,2;HUEMASK01=180,240,315,330;"
    "CHANNEL_CONTACT01=2,4;HUEMASK02=30,45,120,180;CHANNEL_CONTACT02=0,6;BLACKMASK=3;"
    "HUEMASK04=300,315,345,0;CHANNEL_CONTACT04=1,5;HUEMASK05=330,345,15,30;"
    "CHANNEL_CONTACT05=4,6;HUEMASK06=0,15,45,60;CHANNEL_CONTACT06=2,5;"
    "*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText20) == 377 + 1, "text length");

// 8 channels, 425 characters.
const char kText21[] =
    "#_MAXIMUMINK=300;CHANNELS=8;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,210,240;CHANNEL_CONTACT00=2,7;HUEMASK01=240,270,315,330;"
    "CHANNEL_CONTACT01=4,7;HUEMASK02=30,45,120,180;CHANNEL_CONTACT02=0,6;BLACKMASK=3;"
    "HUEMASK04=300,315,345,0;CHANNEL_CONTACT04=1,5;HUEMASK05=330,345,15,30;"
    "CHANNEL_CONTACT05=4,6;HUEMASK06=0,15,45,60;CHANNEL_CONTACT06=2,5;"
    "HUEMASK07=180,210,270,300;CHANNEL_CONTACT07=0,1;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText21) == 425 + 1, "text length");

// 8 channels, 423 characters.
const char kText22[] =
    "#_MAXIMUMINK=300;CHANNELS=8;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=120,150,240,300;CHANNEL_CONTACT00=1,7;HUEMASK01=180,240,315,330;"
    "CHANNEL_CONTACT01=0,4;HUEMASK02=30,45,90,120;CHANNEL_CONTACT02=6,7;BLACKMASK=3;"
    "HUEMASK04=300,315,345,0;CHANNEL_CONTACT04=1,5;HUEMASK05=330,345,15,30;"
    "CHANNEL_CONTACT05=4,6;HUEMASK06=0,15,45,60;CHANNEL_CONTACT06=2,5;"
    "HUEMASK07=60,90,150,180;CHANNEL_CONTACT07=0,2;*HUEMASK_LIGHT00=6,50,66;";
static_assert(sizeof(kText22) == 423 + 1, "text length");

// Ascending byte order of the names; this is the order of enumeration.
const VarnelPreset kPresets[] = {
    {"HUE_PARAM_CMYK", kText01},
    {"HUE_PARAM_CMYKB", kText02},
    {"HUE_PARAM_CMYKBG", kText03},
    {"HUE_PARAM_CMYKBV", kText04},
    {"HUE_PARAM_CMYKBVG", kText05},
    {"HUE_PARAM_CMYKD", kText06},
    {"HUE_PARAM_CMYKDB", kText07},
    {"HUE_PARAM_CMYKDBV", kText08},
    {"HUE_PARAM_CMYKDBVG", kText09},
    {"HUE_PARAM_CMYKDG", kText10},
    {"HUE_PARAM_CMYKDGB", kText11},
    {"HUE_PARAM_CMYKDGV", kText11},
    {"HUE_PARAM_CMYKDV", kText07},
    {"HUE_PARAM_CMYKG", kText12},
    {"HUE_PARAM_CMYKO", kText06},
    {"HUE_PARAM_CMYKOB", kText07},
    {"HUE_PARAM_CMYKOBV", kText08},
    {"HUE_PARAM_CMYKOBVG", kText09},
    {"HUE_PARAM_CMYKOD", kText13},
    {"HUE_PARAM_CMYKODB", kText14},
    {"HUE_PARAM_CMYKODBG", kText15},
    {"HUE_PARAM_CMYKODBV", kText16},
    {"HUE_PARAM_CMYKODG", kText17},
    {"HUE_PARAM_CMYKODV", kText14},
    {"HUE_PARAM_CMYKODVG", kText15},
    {"HUE_PARAM_CMYKOG", kText10},
    {"HUE_PARAM_CMYKOGB", kText18},
    {"HUE_PARAM_CMYKOGV", kText18},
    {"HUE_PARAM_CMYKOV", kText07},
    {"HUE_PARAM_CMYKR", kText06},
    {"HUE_PARAM_CMYKRB", kText07},
    {"HUE_PARAM_CMYKRBV", kText08},
    {"HUE_PARAM_CMYKRBVG", kText09},
    {"HUE_PARAM_CMYKRD", kText13},
    {"HUE_PARAM_CMYKRDB", kText14},
    {"HUE_PARAM_CMYKRDBG", kText15},
    {"HUE_PARAM_CMYKRDBV", kText16},
    {"HUE_PARAM_CMYKRDG", kText17},
    {"HUE_PARAM_CMYKRDV", kText14},
    {"HUE_PARAM_CMYKRDVG", kText15},
    {"HUE_PARAM_CMYKRG", kText10},
    {"HUE_PARAM_CMYKRGB", kText19},
    {"HUE_PARAM_CMYKRGV", kText18},
    {"HUE_PARAM_CMYKRO", kText13},
    {"HUE_PARAM_CMYKROB", kText14},
    {"HUE_PARAM_CMYKROBG", kText15},
    {"HUE_PARAM_CMYKROBV", kText16},
    {"HUE_PARAM_CMYKROD", kText20},
    {"HUE_PARAM_CMYKRODB", kText21},
    {"HUE_PARAM_CMYKRODG", kText22},
    {"HUE_PARAM_CMYKRODV", kText21},
    {"HUE_PARAM_CMYKROG", kText17},
    {"HUE_PARAM_CMYKROV", kText14},
    {"HUE_PARAM_CMYKROVG", kText15},
    {"HUE_PARAM_CMYKRV", kText07},
    {"HUE_PARAM_CMYKV", kText02},
    {"HUE_PARAM_CMYKVG", kText03},
};

constexpr int kPresetCount = static_cast<int>(sizeof(kPresets) / sizeof(kPresets[0]));
static_assert(kPresetCount == 57, "preset count");

// Longest name plus its terminating zero, with room to spare.
constexpr std::size_t kNameCapacity = 32;

const VarnelPreset* FindPreset(const char* name)
{
    // A plain linear walk: the first record whose name is equal, byte by
    // byte, is the match.
    for (int i = 0; i < kPresetCount; ++i) {
        if (std::strcmp(kPresets[i].name, name) == 0)
            return &kPresets[i];
    }
    return nullptr;
}

}  // namespace

const VarnelPreset* VarnelPresetTable() { return kPresets; }

int VarnelPresetCount() { return kPresetCount; }

bool VarnelEnumPresets(VarnelEnumProc proc, void* user)
{
    if (proc == nullptr)
        return false;
    for (int i = 0; i < kPresetCount; ++i) {
        // The callback receives a writable copy: a callback that writes into
        // the name cannot alter the constant table or later calls.
        char name[kNameCapacity];
        std::strncpy(name, kPresets[i].name, kNameCapacity - 1);
        name[kNameCapacity - 1] = '\0';
        proc(name, user);  // the result is ignored: no early stop
    }
    return true;
}

bool VarnelGetPresetText(const char* name, long* size, char* buffer)
{
    if (name == nullptr || size == nullptr)
        return false;
    const VarnelPreset* preset = FindPreset(name);
    if (preset == nullptr)
        return false;

    const long length = static_cast<long>(std::strlen(preset->text));
    if (buffer == nullptr) {
        *size = length;  // size query: characters without the zero
        return true;
    }
    if (*size < length)
        return true;  // buffer too small: nothing copied, still true
    // *size bytes from the start of the text, no zero appended. A size past
    // the terminating zero copies the text and its zero and nothing more,
    // so that no byte beyond the text's storage is ever read.
    const long count = (*size > length + 1) ? length + 1 : *size;
    std::memcpy(buffer, preset->text, static_cast<std::size_t>(count));
    return true;
}
