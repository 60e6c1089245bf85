#include "EffectTable.h"

#include "Effects.h"

namespace {

template <typename Effect>
CEffect* Create()
{
    return new Effect;
}

} // namespace

const EffectTableEntry kEffectTable[kEffectCount] = {
    {"BALLS", Create<CBallsEffect>},
    {"BACKGROUND", Create<CBackgroundEffect>},
    {"IMAGE", Create<CImageEffect>},
    {"CLEAR", Create<CClearEffect>},
    {"FLAG", Create<CFlagEffect>},
    {"PARTY", Create<CPartyEffect>},
    {"BITCH", Create<CBitchEffect>},
    {"CREDITS", Create<CCreditsEffect>},
    {"STARFIELD", Create<CStarfieldEffect>},
    {"LAND", Create<CLandEffect>},
    {"TUNNEL", Create<CTunnelEffect>},
    {"BORDER", Create<CBorderEffect>},
    {"KAOS", Create<CKaosEffect>},
    {"SPIRAL", Create<CSpiralEffect>},
    {"SPACE", Create<CSpaceEffect>},
};
