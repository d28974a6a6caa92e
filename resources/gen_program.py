#!/usr/bin/env python3
"""Writes the program folder that ships beside the program (resources/program/):

  profile/PreviousSet.RQX            remembered scan range, language and found inverters
  profile/LangTable.RQX              the window's texts in German and French, from LangTable.tsv
  profile/ConfigModel.csv            the register list of the grid-setting save: the simulator's
                                     grid protection settings with its values as defaults
  SuperHero/                         the super-user (designer) mode: settings, 7 layouts, countries
  SuperUser/Init/                    factory layouts, reloaded by the mode list's "SuperUser-Init"
  SuperUser-Init/MonitorSet.RQX      makes "SuperUser-Init" appear in the mode list
  GridTied/, Storage/, Japan/        ordinary modes: settings, 7 layouts, country list

The group-panel table (section, panel, expanded height) is read from design/GroupPanels.cpp, so
the layouts always match the program. Panels are 300 px wide and are stacked in columns 305 px
apart with 5 px gaps, each panel into the column that is shortest so far, in the order listed.
Every layout uses at most four columns, so a page box 1225 px wide shows it without scrolling
sideways. The main pages list their columns explicitly, so that related panels stand together. Run: python3 resources/gen_program.py [--out DIR]  (default: rewrites
resources/program/ in place).
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "resources", "program")
COLLAPSED = 40
PANEL_WIDTH = 300
GAP = 5


def read_panels():
    text = open(os.path.join(ROOT, "design", "GroupPanels.cpp"), encoding="utf-8").read()
    rows = re.findall(r'\{"(\w+)", "(Group_\w+)", (\d+), "', text)
    assert len(rows) == 127, len(rows)
    return [(sec, name, int(tag)) for sec, name, tag in rows]


PANELS = read_panels()
TAG = {sec: tag for sec, _, tag in PANELS}


def name_sum(section):
    return sum(section.encode("ascii"))


def panel_width(section, settings):
    if section == "UacProtect":
        vac = settings.get("VacProtectSet", 0)
        return 255 if vac == 0 else 520
    if section == "ErrorEvent":
        return 350
    return PANEL_WIDTH


def panel_tag(section, settings):
    if section == "ActivePower":
        return 250 if settings.get("ActiveSlopeShow", 0) else 200
    return TAG[section]


def place(sections, columns, settings):
    """A page given as a list of columns stacks each column's panels from the top; a page given
    as a plain list is placed masonry-style: each panel where it can sit highest (ties: leftmost)."""
    if sections and isinstance(sections[0], list):
        assert len(sections) <= columns
        places = {}
        for c, column in enumerate(sections):
            top = GAP
            for sec in column:
                # Only the last column may hold a panel wider than the others.
                assert sec in TAG and (panel_width(sec, settings) <= PANEL_WIDTH or c == len(sections) - 1), sec
                h = panel_tag(sec, settings)
                places[sec] = (GAP + c * (PANEL_WIDTH + GAP), top, h)
                top += h + GAP
        return places
    heights = [GAP] * columns
    places = {}
    for sec in sections:
        assert sec in TAG, sec
        span = (panel_width(sec, settings) + GAP + PANEL_WIDTH) // (PANEL_WIDTH + GAP)
        span = max(1, span)
        # A panel narrower than the columns it spans (the 520 px voltage protection) takes the
        # rightmost of its equally high places, so that the strip it leaves free lies at the
        # page's edge and not as a hole between panels of its row.
        narrow = span > 1 and panel_width(sec, settings) < span * PANEL_WIDTH + (span - 1) * GAP
        best = None
        for c in range(columns - span + 1):
            top = max(heights[c:c + span])
            if best is None or top < best[1] or (narrow and top == best[1]):
                best = (c, top)
        c, top = best
        h = panel_tag(sec, settings)
        places[sec] = (GAP + c * (PANEL_WIDTH + GAP), top, h)
        for k in range(c, c + span):
            heights[k] = top + h + GAP
    return places


def layout_text(places):
    lines = []
    for sec, _, _ in PANELS:
        lines.append("[%s]" % sec)
        if sec in places:
            left, top, h = places[sec]
            lines.append("Height=%d" % (h + 10 * name_sum(sec)))
            lines.append("Top=%d" % top)
            lines.append("Left=%d" % left)
        else:
            lines.append("Height=%d" % COLLAPSED)
    return "\n".join(lines) + "\n"


DEFAULT_TITLES = ["Ambient", "Boost-1", "Boost-2", "Inverter-S", "THS_R", "THS_S", "THS_T", "T_AMB"]
OPTION_KEYS = [
    ("reclosureTime", "Rate", "ReclosureRate"),
    ("Reactive", "Sign", "ReactiveSign"),
    ("Reactive", "CosPhiSet", "CosPhiStep"),
    ("Inverter", "State", "StateTextTable"),
    ("ConstVlot", "show", "ConstVoltShow"),
    ("JapanUserSettingMode", "Mode", "JapanUserSettingMode"),
    ("VacProtect", "set", "VacProtectSet"),
    ("ActiveSlope", "show", "ActiveSlopeShow"),
    ("Language", "Select", "LanguageSelectShow"),
    ("Write", "Permission", "WriteLock"),
    ("Write", "ShowAcMode", "AcLayout"),
    ("Write", "ShowAcTitle", "ShowAcTitle"),
    ("Write", "ShowGsFacMode", "ShowGsFacMode"),
    ("Write", "ShowQofUMode", "ShowQofUMode"),
    ("Write", "ReactivePowerMode", "ReactivePowerMode"),
    ("Write", "VersionShowDateCode", "ShowFirmwareDates"),
]


def settings_text(settings):
    sections = {}
    order = []

    def put(sec, key, value):
        if sec not in sections:
            sections[sec] = []
            order.append(sec)
        sections[sec].append("%s=%s" % (key, value))

    titles = settings.get("titles", DEFAULT_TITLES)
    for i, key in enumerate(["Label1", "Label2", "Label3", "Label4", "Labe21", "Labe22", "Labe23", "Labe24"]):
        put("Temperature", key, titles[i])
    for sec, key, member in OPTION_KEYS:
        default = 10 if member == "ReclosureRate" else 0
        put(sec, key, settings.get(member, default))
    polls = settings.get("polls", {})
    for d in range(4):
        rows = polls.get(d, {})
        sec = "Poll0%d" % (d + 1)
        for word, idx, default in (("Addr", 0, ""), ("Type", 1, -1), ("Value", 2, "")):
            for r in range(1, 11):
                row = rows.get(r)
                put(sec, "%s%d%d" % (word, d, r), row[idx] if row else default)
    out = []
    for sec in order:
        out.append("[%s]" % sec)
        out.extend(sections[sec])
    return "\n".join(out) + "\n"


def country_text(codes):
    """One line per country code 0..max: the name, or a blank line for a code not offered.
    The list ends with a last line "END" without a line end."""
    top = max(codes)
    lines = [codes.get(c, "") for c in range(top + 1)]
    return "\n".join(lines) + "\nEND"


BUILT_IN = {0: "Default", 1: "Custom", 2: "Netherlands", 3: "Belgium", 4: "France LV", 5: "Spain",
            7: "Greece", 8: "Austria", 11: "England", 14: "AU/NZ", 16: "Taiwan", 20: "Slovakia",
            21: "Czech", 22: "Portugal", 24: "China", 26: "Italy LV", 27: "Italy MV", 28: "Germany LV",
            29: "Germany MV", 30: "Hungary", 31: "Thailand MEA", 32: "Thailand MEA2013",
            33: "Thailand PEA", 34: "France LV VFR2013", 35: "France LV VFR2014", 36: "AU/NZ PL",
            37: "India", 38: "AU/NZ LV", 39: "AU/NZ MV", 40: "JAPAN 50Hz", 41: "JAPAN 60Hz",
            42: "Namibia"}


def pick(*codes):
    return {c: BUILT_IN[c] for c in codes}


# ---------------------------------------------------------------------------------------------
# The modes

MAIN_3P = [
    ["Version", "Status", "WarnEvent"],
    ["Output1", "Output2", "Output3"],
    ["Input1", "Input2", "Input3", "VBus", "Temper1", "Temper2"],
    ["TotPow", "OutputEnergy", "ErrorEvent"],
]

DESIGNER_PAGES = [
    # 0 Main
    [
        ["Version", "Status", "WarnEvent", "InvTime"],
        ["Output1", "Output2", "Output3", "LN_ST"],
        ["Input1", "Input2", "Input3", "Input4", "VBus", "TotalBus"],
        ["TotPow", "OutputEnergy", "Temper1", "Temper2", "ErrorEvent"],
    ],
    # 1 Config4780: grid code and protection
    ["Country", "UacProtect", "FreqProtect", "FRT", "Islanding", "AntiIsland", "CommProtection",
     "AcTerminal", "AustraliaSet", "K4PSetting"],
    # 2 Ctrl4780: power control
    ["ReactivePower", "ActivePower", "CosPCtrl", "QUCtrl", "PUFunction", "PFCtrl", "QofP",
     "QofP_DayTime", "QbyNight", "ExtendCosphiP", "CosphiOfU", "NightMode"],
    # 3 Config2059: service and calibration
    ["Factory", "VIPGain", "ADC", "CalibrateInput", "TestValue", "FanTest", "FanFail", "MPPTSwitch",
     "DryContactTest", "DryContact", "ARCTest", "EnergyClone", "OnSiteRepair", "DarkCurrent"],
    # 4 Ctrl2059: records, energy and register polls
    ["DeratingRecords", "RecordOPV", "RecordVin", "RecordOPVLo", "RecordPM", "DailyEnergy",
     "MonthlyEnergy", "Insulation", "GroundCurrent", "DCInject", "DcRelayAccTimes", "AntiPid", "EPO",
     "StringCurr", "MaxOutputVal", "MaxInputVal", "ErrorCodes", "Poll01", "Poll02", "Poll03", "Poll04"],
    # 5 Config7352: storage, loads and meters
    ["BTINFO", "BTCTRL", "BTModule1", "BTModule2", "LoadPower", "LoadPower2", "SA3P", "MasterDCB",
     "SlaveDCB", "PowerMeterInfo", "Subsidy", "MultiRelay", "TalveraTest", "QR45", "Input5", "Input6",
     "Input7", "Input8", "Input9", "Input10", "Input11", "Input12"],
    # 6 Ctrl7352: Japanese market
    ["JapanVersion", "JapanSet", "JapUserSet", "JapanErrorEvent", "JapanSet3P", "UserSetJapan3P",
     "JapanRemoteCtrl", "JapanProtectSet", "RPR_OVGR", "VoltageSuppression", "InternalMeterPhaseU",
     "InternalMeterPhaseW", "InternalMeterPhaseUW", "HarunetMM", "HRN_Energy", "HRN_SetPnt",
     "HRN_Thm", "HRN_OPV", "HRN_Vin", "HRN_OPVLO", "ShipmentTest", "JapUserSetOld"],
]

DESIGNER_SETTINGS = {"VacProtectSet": 1, "ActiveSlopeShow": 1, "AcLayout": 2, "ConstVoltShow": 1,
                     "ShowFirmwareDates": 1}

MODES = {
    # Three-phase grid-tied string inverters: three output groups, grid-code pages.
    "GridTied": {
        "settings": {"VacProtectSet": 1, "AcLayout": 2, "ActiveSlopeShow": 0, "ShowFirmwareDates": 1},
        "columns": 4,
        "pages": [
            MAIN_3P,
            ["Country", "UacProtect", "FreqProtect", "FRT", "AntiIsland", "Islanding", "AcTerminal"],
            ["ReactivePower", "ActivePower", "CosPCtrl", "QUCtrl", "PUFunction", "PFCtrl", "NightMode"],
            ["Country", "UacProtect", "FreqProtect", "AustraliaSet", "K4PSetting", "CommProtection",
             "Factory", "VIPGain", "CalibrateInput", "FanTest", "MPPTSwitch", "DryContactTest"],
            ["ReactivePower", "ActivePower", "QofP", "QofP_DayTime", "QbyNight", "ExtendCosphiP", "CosphiOfU"],
            ["InvTime", "DailyEnergy", "MonthlyEnergy", "DeratingRecords", "Insulation",
             "GroundCurrent", "DCInject", "DcRelayAccTimes", "AntiPid", "ARCTest", "EPO", "RecordPM",
             "RecordOPV", "RecordVin", "RecordOPVLo", "FanFail", "EnergyClone"],
            ["Poll01", "Poll02", "Poll03", "Poll04", "OnSiteRepair", "StringCurr", "MaxOutputVal",
             "MaxInputVal", "TestValue", "ADC", "TotalBus"],
        ],
        "countries": pick(0, 1, 2, 3, 4, 5, 7, 8, 11, 14, 20, 21, 22, 26, 27, 28, 29, 30, 34, 35, 36,
                          38, 39),
    },
    # Hybrid inverters with battery storage: one output group, loads, battery pages.
    "Storage": {
        "settings": {"VacProtectSet": 2, "AcLayout": 0, "ActiveSlopeShow": 1, "ShowAcTitle": 0,
                     "titles": ["Ambient", "Boost-1", "Battery", "Inverter-S",
                                "THS_R", "THS_S", "THS_T", "T_AMB"]},
        "columns": 4,
        "pages": [
            [
                ["Version", "Status", "WarnEvent"],
                ["Output1", "LoadPower", "LoadPower2", "Temper1"],
                ["Input1", "Input2", "BTINFO", "TotPow"],
                ["OutputEnergy", "ErrorEvent"],
            ],
            ["Country", "UacProtect", "FreqProtect", "BTCTRL", "Subsidy"],
            ["ActivePower", "ReactivePower", "CosPCtrl", "QUCtrl", "SA3P"],
            ["Country", "BTCTRL", "BTModule1", "BTModule2", "PowerMeterInfo", "Subsidy", "QR45"],
            ["ActivePower", "ReactivePower", "NightMode", "DryContact", "MultiRelay", "MasterDCB", "SlaveDCB"],
            ["InvTime", "DailyEnergy", "MonthlyEnergy", "DeratingRecords", "Insulation",
             "RecordPM", "FanFail", "EnergyClone"],
            ["Poll01", "Poll02", "Poll03", "Poll04", "OnSiteRepair"],
        ],
        "countries": pick(0, 1, 2, 3, 4, 8, 11, 14, 26, 28, 36, 38),
    },
    # Single-phase models for the Japanese market: Japanese settings, protection and meters.
    "Japan": {
        "settings": {"StateTextTable": 1, "AcLayout": 0, "ReactivePowerMode": 1,
                     "JapanUserSettingMode": 0, "VacProtectSet": 0, "ShowFirmwareDates": 1},
        "columns": 4,
        "pages": [
            [
                ["JapanVersion", "Status", "Temper1"],
                ["Output1", "TotPow", "OutputEnergy"],
                ["Input1", "Input2", "Input3"],
                ["JapanErrorEvent"],
            ],
            ["JapanSet", "JapUserSet", "JapanProtectSet", "JapUserSetOld"],
            ["JapanRemoteCtrl", "ReactivePower", "ActivePower", "VoltageSuppression", "RPR_OVGR"],
            ["Country", "JapanSet3P", "UserSetJapan3P", "UacProtect", "FreqProtect"],
            ["InternalMeterPhaseU", "InternalMeterPhaseW", "InternalMeterPhaseUW",
             "PowerMeterInfo", "ActivePower"],
            ["InvTime", "DailyEnergy", "MonthlyEnergy", "HRN_Energy", "ErrorCodes",
             "HRN_Thm", "HRN_OPV", "HRN_Vin", "HRN_OPVLO", "EnergyClone"],
            ["Poll01", "Poll02", "Poll03", "Poll04", "ShipmentTest", "OnSiteRepair"],
        ],
        "countries": pick(0, 1, 40, 41),
    },
}


# The register list of the grid-setting save: (name, register, default); a name alone heads a
# group of rows (it names no register, so the dump copies it as it stands). Names have no blanks,
# so a dump uploads as it was written.
CONFIG_MODEL = [
    ("Voltage protection",),
    ("Vac_High_Off", 33552, 2645), ("Vac_High_Time", 33553, 20), ("Vac_High_On", 33554, 2530),
    ("Vac_Low_Off", 33555, 1840), ("Vac_Low_Time", 33556, 20), ("Vac_Low_On", 33557, 1955),
    ("Vac_High_Off_Slow", 33558, 2530), ("Vac_High_Time_Slow", 33559, 300), ("Vac_High_On_Slow", 33560, 2500),
    ("Vac_Low_Off_Slow", 33561, 2070), ("Vac_Low_Time_Slow", 33562, 300), ("Vac_Low_On_Slow", 33563, 2070),
    ("Vac_High_Off_2", 33564, 2650), ("Vac_High_Time_2", 33565, 20), ("Vac_High_On_2", 33566, 2530),
    ("Vac_High_Off_Slow2", 48176, 2600), ("Vac_High_Time_Slow2", 48177, 1000), ("Vac_High_On_Slow2", 48178, 2500),
    ("Vac_Low_Off_Slow2", 48179, 1950), ("Vac_Low_Time_Slow2", 48180, 1000), ("Vac_Low_On_Slow2", 48181, 2070),
    ("Frequency protection",),
    ("Fac_High_Off", 33568, 5200), ("Fac_High_Time", 33569, 20), ("Fac_High_On", 33570, 5005),
    ("Fac_Low_Off", 33571, 4750), ("Fac_Low_Time", 33572, 20), ("Fac_Low_On", 33573, 4995),
    ("Fac_High_Off_Slow", 33610, 5150), ("Fac_High_Time_Slow", 33611, 500), ("Fac_High_On_Slow", 33612, 5005),
    ("Fac_Low_Off_Slow", 33613, 4800), ("Fac_Low_Time_Slow", 33614, 500), ("Fac_Low_On_Slow", 33615, 4995),
    ("Other limits",),
    ("PU_Start_Volt", 48550, 2500), ("PU_Stop_Volt", 48551, 2650),
    ("Insulation_Limit", 33584, 400),
    ("Ground_Current_Limit", 33593, 3), ("Ground_Current_Time", 33594, 3),
    ("DC_Injection_Limit", 33576, 50), ("DC_Injection_Time", 33577, 5),
]


def config_model_text():
    rows = ["Name,Address,Default"]
    for row in CONFIG_MODEL:
        rows.append('"%s",0,-' % row[0] if len(row) == 1 else "%s,%d,%d" % row)
    return "\r\n".join(rows) + "\r\n"


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)


def write_mode(folder, settings, pages, columns, countries=None, with_settings=True):
    for n, page in enumerate(pages):
        write(os.path.join(folder, "MonitorSet%d.RQX" % n), layout_text(place(page, columns, settings)))
    if with_settings:
        write(os.path.join(folder, "MonitorSet.RQX"), settings_text(settings))
    if countries:
        write(os.path.join(folder, "CountryList.RQX"), country_text(countries))


def write_language_table():
    """profile/LangTable.RQX from resources/LangTable.tsv (UTF-8, one row a line, TAB between the
    English, German and French texts, the first line a heading): the same rows as UTF-16
    little-endian text with a byte-order mark and CR LF line ends, as the program reads it."""
    text = open(os.path.join(ROOT, "resources", "LangTable.tsv"), encoding="utf-8", newline="").read()
    rows = text.split("\n")
    if rows and rows[-1] == "":
        rows.pop()
    data = "\ufeff" + "".join(row.rstrip("\r") + "\r\n" for row in rows)
    path = os.path.join(OUT, "profile", "LangTable.RQX")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data.encode("utf-16-le"))


def main():
    global OUT
    if len(sys.argv) == 3 and sys.argv[1] == "--out":
        OUT = sys.argv[2]
    write_mode(os.path.join(OUT, "SuperHero"), DESIGNER_SETTINGS, DESIGNER_PAGES, 4, BUILT_IN)
    write_mode(os.path.join(OUT, "SuperUser", "Init"), DESIGNER_SETTINGS, DESIGNER_PAGES, 4,
               with_settings=False)
    write(os.path.join(OUT, "SuperUser-Init", "MonitorSet.RQX"), settings_text(DESIGNER_SETTINGS))
    for name, mode in MODES.items():
        write_mode(os.path.join(OUT, name), mode["settings"], mode["pages"], mode["columns"],
                   mode["countries"])
    prev = ["[Language]", "Set=0", "[Search]", "StartID=1", "EndID=32", "[InvExist]"]
    prev += ["ID%d=0" % i for i in range(1, 254)]
    write(os.path.join(OUT, "profile", "PreviousSet.RQX"), "\n".join(prev) + "\n")
    write_language_table()
    write(os.path.join(OUT, "profile", "ConfigModel.csv"), config_model_text())
    return 0


if __name__ == "__main__":
    sys.exit(main())
