// The AC output groups "Output 1" to "Output 3" (Group_GetAC1..3) and the "Total Power" group
// (Group_TotalPower): their labels, the voltage captions, and the output reader.
#pragma once

#include "groups/ReaderFrame.h"

#include <array>

namespace groups {

// The labels of one output group (phase R, S or T).
struct AcPhaseLabels {
    vcl::TWinControl* Panel = nullptr;     // Group_GetAC1..3
    vcl::TLabel* VoltageCaption = nullptr; // Label19, Label153, Label54
    vcl::TLabel* VacGrid = nullptr;        // Label_VacR_Grid ...
    vcl::TLabel* Iac = nullptr;            // Label_IacR ...
    vcl::TLabel* Pac = nullptr;            // Label_PacR ...
    vcl::TLabel* Fac = nullptr;            // Label_FacR ...
    // Redundant measurements (hidden in the design; the AC phase readers fill them).
    vcl::TLabel* VacOut = nullptr;         // Label_VacR_Out ...
    vcl::TLabel* VacGridRed = nullptr;     // Label_VacR_GridRed ...
    vcl::TLabel* VacOutRed = nullptr;      // Label_VacR_OutRed ...
    vcl::TLabel* FacRed = nullptr;         // Label_FacR_Red ...
    std::array<vcl::TLabel*, 3> Separators{};  // the " / " labels between them
};

struct TotalPowerLabels {
    vcl::TWinControl* Panel = nullptr;     // Group_TotalPower
    vcl::TLabel* TotalInputPower = nullptr;
    vcl::TLabel* TotalInputCurrent = nullptr;
    vcl::TLabel* TotalOutputPower = nullptr;
    vcl::TLabel* TotalOutputCurrent = nullptr;
    vcl::TLabel* QSum = nullptr;           // Label_Q_Sum
    vcl::TLabel* PowerFactor = nullptr;    // Label_PowerFactor
};

struct OutputGroup {
    std::array<AcPhaseLabels, 3> Phase;
    TotalPowerLabels Total;
};

// Creates the labels inside the form's panels Group_GetAC1..3 and Group_TotalPower (found by
// name; a missing panel gets no labels and its entries stay null).
OutputGroup BuildOutputGroups(vcl::TComponent& form);
// The labels of panels built earlier, found by name on the form.
OutputGroup FindOutputGroups(const vcl::TComponent& form);

// Voltage captions of the three output groups and the visibility of their redundant labels:
// -1 "Voltage" (visibility unchanged), 0 "Voltage(L-N)" hidden, 1 "Voltage(L-L)" hidden,
// 2 "Voltage(L-N)" shown; any other style changes nothing. The caption goes through `inLanguage`
// when given.
void ApplyVoltageCaptions(OutputGroup& g, int style,
                          const std::function<QString(const QString&)>& inLanguage = nullptr);

// The output reader of the AC layouts 0 and 1: the AC-terminal coil (sets AcLayout and the
// voltage captions), then the 30-word output block into the three groups and the totals.
int ReadOutput(Modbus& link, const ReaderContext& ctx, OutputGroup& g, std::uint8_t stop);

} // namespace groups
