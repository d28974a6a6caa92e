// The window kit: the class library's words over Qt 6 Widgets. Include this one header.
//
// How the kit reads
// -----------------
// - Every class of the class library that the program uses has its name here (TLabel, TEdit,
//   TComboBox, TForm ...), each backed by a Qt widget that the rest of the program never sees.
// - Properties are getter and setter pairs with the class library's names: `Caption()` /
//   `SetCaption(text)`, `ItemIndex()` / `SetItemIndex(i)`, `Height()` / `SetHeight(h)`.
//   Sub-objects are reached by a call: `Label_FixCos->Font()->SetColor(clRed)`,
//   `Combo_Country->Items()->Add("Germany")`, `StatusBar1->Panels()->Items(5)->SetText("...")`,
//   `Grid->Cells(col, row)` / `Grid->SetCells(col, row, text)`.
// - Events are public std::function members with the class library's signatures:
//   `Btn_ScanID->OnClick = [this](TObject*) { ... };` or `= Method(this, &TForm_Main::Btn_ScanIDClick)`.
//   An exception that escapes a handler is shown in an error box and the program goes on.
// - State is the kit's own, never read back from Qt: a colour is the stored TColor (compare it
//   exactly), Visible is the control's own flag (also on a page not shown), Height is the number
//   last set (40, 0 or negative are kept), a list box's TopIndex is apart from its selection.
// - Firing rules of the class library, which the program relies on:
//   * setting a combo box's ItemIndex or Text from code fires no OnChange; the user's pick does;
//   * setting a radio button's Checked to true from code fires its OnClick (a check box's
//     OnClick fires on every change of Checked);
//   * OnMouseDown of a radio button or check box runs before the click changes it;
//   * an edit acts on Enter in OnKeyDown (Key == VK_RETURN, 13);
//   * a TSpeedButton never takes the focus; a TButton does.
// - Owner and Parent are apart, as in the class library: the Owner (usually the form) destroys
//   the component and lists it in its Components; the Parent shows it.
// - The three seams for tests: the dialog service and the time service (vcl/Services.h) and the
//   user driver (vcl/UserDriver.h; vcl/RemoteDriver.h serves it over a local socket).
//
// Where things are
// ----------------
//   vcl/Types.h       TColor and the colour constants, key codes (VK_RETURN ...), event types
//   vcl/Controls.h    TObject, TComponent (Owner, Name, Tag, Components), TFont, TControl,
//                     TWinControl (focus and key events, aligned children)
//   vcl/StdCtrls.h    TLabel, TEdit, TButton, TSpeedButton, TCheckBox, TRadioButton, TComboBox,
//                     TListBox, TPanel, TGroupBox, TScrollBox, TProgressBar, TImage (+TCanvas),
//                     TTimer, TOpenDialog
//   vcl/ComCtrls.h    TPageControl/TTabSheet, TTreeView/TTreeNode, TImageList, TStatusBar,
//                     TRichEdit
//   vcl/StringGrid.h  TStringGrid (a store of cells, kept outside the row and column counts)
//   vcl/Menus.h       TPopupMenu, TMenuItem
//   vcl/Forms.h       TForm (ShowModal, OnClose, OnShortCut, OnDropFiles), TApplication
//   vcl/StringList.h  TStringList (files, delimited text)
//   vcl/Services.h    MessageBox, InputBox/InputQuery, ProcessMessages, time and dialog services
//   vcl/IniFile.h     TIniFile and the strict number conversions
#pragma once

#include "vcl/ComCtrls.h"
#include "vcl/Controls.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/Services.h"
#include "vcl/StdCtrls.h"
#include "vcl/StringGrid.h"
#include "vcl/StringList.h"
#include "vcl/Types.h"
