// Reactive and active power: the reactive power mode with its fixed cos φ and fixed Q
// (Group_ReactivePower), the curves cos φ(P), Q(U), cos φ(U), the night values
// (Group_QbyNight), the two Q(P) curves and the extended cos φ(P) curve, then the active power
// limits (Group_ActivePower), P(U), voltage suppression and the Japanese-market active power
// control.
//
// Reactive values carry their side in the sign. Which side a positive word stands for is the
// mode's sign convention (ReactiveSign): 0 positive = inductive ("Ind "), else capacitive
// ("Cap "). The settings' one-row Ind/Cap choosers apply the same convention the other way.
#pragma once

#include "groups/ReaderFrame.h"

#include <cstdint>

namespace groups {

struct ReactiveGroups {
    vcl::TWinControl* Reactive = nullptr;      // Group_ReactivePower
    vcl::TWinControl* CosPCtrl = nullptr;      // Group_CosPCtrl
    vcl::TWinControl* QUCtrl = nullptr;        // Group_QUCtrl
    vcl::TWinControl* CosphiOfU = nullptr;     // Group_CosphiOfU
    vcl::TWinControl* QbyNight = nullptr;      // Group_QbyNight
    vcl::TWinControl* QofP = nullptr;          // Group_QofP
    vcl::TWinControl* QofPDaytime = nullptr;   // Group_QofP_DayTime
    vcl::TWinControl* ExtendCosphiP = nullptr; // Group_ExtendCosphiP
    vcl::TWinControl* Active = nullptr;        // Group_ActivePower
    vcl::TWinControl* PofU = nullptr;          // Group_PUFunction
    vcl::TWinControl* Suppression = nullptr;   // Group_VoltageSuppression
    vcl::TWinControl* JapanActive = nullptr;   // Group_JapanActivePower
};

// The mode's display options the readers follow.
struct ReactiveOptions {
    int sign = 0;               // ReactiveSign
    int step = 0;               // CosPhiStep: 0 cos φ in 0.01, 1 in 0.001, else neither
    std::uint8_t slope = 0;     // ActiveSlopeShow: 1 reads the active power slope
};

// The two Q(P) curves of the device: each panel reads and writes its own block of 22 words
// (mode, number of set points, then P and Q of ten points).
constexpr int kQofPBlock = 48826;
constexpr int kQofPDaytimeBlock = 48865;

// Builds the panels' inner controls (once; a panel the form lacks is left out).
ReactiveGroups BuildReactiveGroups(vcl::TComponent& form);
ReactiveGroups FindReactiveGroups(const vcl::TComponent& form);

// The Q(U) curve captions: style 0 the names of the curve ("Q_Vmax", ...), style 1 the point
// numbers ("Q4", ...); any other style leaves them as they are.
void ApplyQofUCaptions(vcl::TComponent& form, int style);

// ---- Texts ----
// The side prefix for a positive (or for a negative) value under the sign convention.
QString PositiveSide(int sign);
QString NegativeSide(int sign);
// cos φ of a signed word at full scale 100 or 1000: "1" at ±full scale, else the side and the
// magnitude ("Ind 0.95", "Cap 0.900"); 0 counts as the negative side.
QString CosPhiText(int value, int fullScale, int sign);
// A whole percent with its side ("Ind 30%", "Cap 0%").
QString SidePercentText(int value, int sign);
// A curve point's P in 0.1 % ("50.0%", "-0.1%").
QString PointPercentText(int word);
// A curve point's Q or cos φ in 0.1 % with its side and two blanks ("Ind  12.5%"); 0 is "Cap 0".
QString PointSideText(int value, int sign);

// ---- Readers ----
int ReadReactivePower(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                      std::uint8_t stop);
int ReadQofU(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt, std::uint8_t stop);
int ReadCosphiOfP(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                  std::uint8_t stop);
int ReadExtendCosphiP(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                      std::uint8_t stop);
int ReadCosphiOfU(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                  std::uint8_t stop);
int ReadQByNight(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadQofP(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt, std::uint8_t stop);
int ReadQofPDaytime(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                    std::uint8_t stop);
int ReadActivePower(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, const ReactiveOptions& opt,
                    std::uint8_t stop);
int ReadPofU(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadVoltageSuppression(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadJapanActivePower(Modbus& link, const ReactiveGroups& g, vcl::TComponent& form, std::uint8_t stop);

} // namespace groups
