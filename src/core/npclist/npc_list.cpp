#include "npclist/npc_list.h"

#include <array>
#include <new>
#include <stdexcept>

#include "dialogue/id_index.h"
#include "dialogue/text_util.h"
#include "errors.h"
#include "esfile/native.h"
#include "esfile/safe_file.h"
#include "shell/shell.h"

namespace vellum {

namespace {

constexpr std::string_view CRLF = "\r\n";
constexpr std::string_view kDescription = "***Description***";
constexpr std::string_view kWriter = "***To be asigned***";

struct CloneName {
    std::string_view name; // lower case
    bool contains;         // true: FNAM contains it; false: FNAM equals it
};
constexpr std::array<CloneName, 18> kClones{{
    {"guard", true},
    {"ordinator", false},
    {"dead ordinator", false},
    {"imperial archer", false},
    {"dreamer", false},
    {"dead dreamer", false},
    {"dreamer worker", false},
    {"adventurer", true},
    {"player", false},
    {"vampire", false},
    {"playersavegame", false},
    {"egg miner", false},
    {"dead egg miner", false},
    {"dead body", false},
    {"sharpshooter", true},
    {"cattle", false},
    {"buoyant armiger", false},
    {"worshipper", false},
}};

// The colours of the legend and of the lines of an NPC block, in block order, then the gray of "DONE".
struct Legend {
    std::string_view html, php, text;
};
constexpr std::array<Legend, 8> kLegend{{
    {"#FFFFFF", "white", "White - Name"},
    {"#FF0000", "red", "Red - Gender"},
    {"#FF9933", "orange", "Orange - Race"},
    {"#FFFF00", "yellow", "Yellow - Class"},
    {"#00FF00", "green", "Green - Faction"},
    {"#0066FF", "blue", "Blue - Description"},
    {"#800080", "purple", "Purple - Writer"},
    {"#808080", "gray", "Gray - DONE"},
}};

void FileHeader(std::string& out, NpcListMarkup markup, std::string_view cellText) {
    if (markup == NpcListMarkup::PhpBB) {
        out += "COLOR CODE:";
        out += CRLF;
        for (const Legend& l : kLegend) {
            out += "[color=";
            out += l.php;
            out += "]";
            out += l.text;
            out += "[/color]";
            out += CRLF;
        }
        out += CRLF;
        out += CRLF;
    } else if (markup == NpcListMarkup::Html) {
        out += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"\r\n"
               "\"http://www.w3.org/TR/html4/loose.dtd\">";
        out += "<html>\r\n\r\n<head>";
        out += "<meta http-equiv=\"Content-Language\" content=\"en-us\">\r\n"
               "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n";
        out += "<title>NPCs List for ";
        out += cellText;
        out += " by Vellum</title>\r\n</head>\r\n\r\n<body bgcolor=\"#000000\" text=\"#00FFFF\">\r\n\r\n";
        out += "<p align=\"center\">NPCs List for ";
        out += cellText;
        out += " by <a href=\"";
        out += kDownloadPageAddress;
        out += "\">Vellum</a></p>\r\n<br>\r\n";
        out += "Color code:<br>\r\n<br>\r\n";
        for (const Legend& l : kLegend) {
            out += "<font color=\"";
            out += l.html;
            out += "\">";
            out += l.text;
            out += "</font><br>";
            out += CRLF;
        }
        out += "<br>\r\n<br>\r\n<br>";
    }
}

void CellOpening(std::string& out, NpcListMarkup markup, const std::string& heading) {
    out += heading;
    switch (markup) {
    case NpcListMarkup::PureText: out += "\r\n\r\n"; break;
    case NpcListMarkup::PhpBB: out += "\r\n\r\n[list]\r\n"; break;
    case NpcListMarkup::Html: out += "\r\n<br>\r\n<br>\r\n<ul>\r\n"; break;
    }
}

void CellClosing(std::string& out, NpcListMarkup markup) {
    switch (markup) {
    case NpcListMarkup::PureText: out += "\r\n\r\n\r\n"; break;
    case NpcListMarkup::PhpBB: out += "[/list]\r\n\r\n\r\n"; break;
    case NpcListMarkup::Html: out += "</ul>\r\n\r\n\r\n"; break;
    }
}

void NpcBlock(std::string& out, NpcListMarkup markup, const NPC_Record& npc, const std::string& faction) {
    const std::array<std::string_view, 7> values{
        npc.FNAM, IsFemale(npc) ? "F" : "M", npc.RNAM, npc.CNAM, faction, kDescription, kWriter};
    switch (markup) {
    case NpcListMarkup::PureText:
        for (std::string_view v : values) {
            out += v;
            out += CRLF;
        }
        out += CRLF;
        break;
    case NpcListMarkup::PhpBB:
        out += "[*]";
        for (size_t i = 0; i < values.size(); ++i) {
            out += "[color=";
            out += kLegend[i].php;
            out += "]";
            out += values[i];
            out += "[/color]";
            out += CRLF;
        }
        out += CRLF;
        break;
    case NpcListMarkup::Html:
        out += "<li>";
        for (size_t i = 0; i < values.size(); ++i) {
            out += "<font color=\"";
            out += kLegend[i].html;
            out += "\">";
            out += values[i];
            out += "</font><br>";
            out += CRLF;
        }
        out += "<br>\r\n</li>\r\n";
        break;
    }
}

void Footer(std::string& out, NpcListMarkup markup, int32_t count) {
    out += "Total NPCs: ";
    out += std::to_string(count);
    if (markup == NpcListMarkup::Html) out += "\r\n</body>\r\n</html>";
}

// The rank name in one faction record: up to its first zero character.
std::string_view RankName(const FACTRecord& faction, uint8_t rank) {
    if (rank >= kRankSlots) return {};
    std::string_view name = faction.RankNames[rank].RankName;
    return name.substr(0, name.find('\0'));
}

std::string FactionTextIndexed(const NPC_Record& npc, const std::vector<FACTRecord>& factions,
                               const IdIndex& byId) {
    if (npc.ANAM.size() < 2) return "None";
    std::string out = npc.ANAM + ", ";
    for (uint32_t f : byId.all(npc.ANAM)) out += RankName(factions[f], FactionRank(npc));
    return out;
}

// The run-time error that a failed write of the list stands for, told from the state of the target.
RunError WriteFailure(const std::string& path, size_t bytes) {
    switch (CheckWriteTarget(path)) {
    case WriteTarget::NoName: return RunError::BadFileName;
    case WriteTarget::FolderInTheWay:
    case WriteTarget::NoFolder: return RunError::PathFileAccess;
    case WriteTarget::ReadOnlyFile:
    case WriteTarget::ReadOnlyFolder: return RunError::PermissionDenied;
    case WriteTarget::Writable: break;
    }
    uintmax_t available = 0;
    if (FreeSpace(path, available) && available < bytes) return RunError::DiskFull;
    return RunError::DeviceError;
}

void ReportError(RunError error, Ui& ui) {
    ui.messageBox("Vellum has encountered an error number #" + ErrorLine(error) + ".", kProgramTitle,
                  Buttons::OK, Icon::Critical, Ask::Error);
    ui.appendLog(kNpcListErrorLogLine);
    ui.setProgress(0);
}

} // namespace

bool CheckNpcListCounts(int64_t cellCount, int64_t npcCount, Ui& ui) {
    if (cellCount <= 0) {
        ui.messageBox(kNoCellsMessage, kProgramTitle, Buttons::OK, Icon::None, Ask::Message);
        return false;
    }
    if (npcCount <= 0) {
        ui.messageBox(kNoNpcsMessage, kProgramTitle, Buttons::OK, Icon::None, Ask::Message);
        return false;
    }
    return true;
}

std::string_view NpcListFileFilter(NpcListMarkup markup) {
    return markup == NpcListMarkup::Html ? "HTML files (*.htm, *.html)|*.htm;*.html|All Files (*.*)| *.*"
                                         : "Text Files (*.txt)|*.txt|All Files (*.*)| *.*";
}

std::optional<std::string> AskNpcListCellText(Ui& ui) {
    std::optional<std::string> text = ui.inputBox(kNpcListCellPrompt, kProgramTitle, {});
    if (!text || text->empty()) return std::nullopt;
    return text;
}

bool IsCloneName(std::string_view fnam) {
    const std::string name = ToLower(fnam);
    for (const CloneName& c : kClones)
        if (c.contains ? name.find(c.name) != std::string::npos : name == c.name) return true;
    return false;
}

std::string FactionText(const NPC_Record& npc, const std::vector<FACTRecord>& factions) {
    return FactionTextIndexed(npc, factions, IdIndex(factions));
}

std::string CellHeading(const CELLRecord& cell) {
    std::string out = cell.NAME;
    if (cell.RGNNLen != 0) out += " (" + std::to_string(cell.GridX) + ", " + std::to_string(cell.GridY) + ")";
    out += ":";
    return out;
}

std::string BuildNpcList(const NpcListOptions& options, const RecordStore& store, Ui& ui, int32_t& count) {
    count = 0;
    std::string out;
    FileHeader(out, options.markup, options.cellText);
    const std::vector<CELLRecord>& cells = store.tblCELL;
    const IdIndex npcs(store.tblNPC_);
    const IdIndex factions(store.tblFACT);
    const size_t last = cells.empty() ? 0 : cells.size() - 1;
    for (size_t c = 0; c < cells.size(); ++c) {
        ui.setProgress(last == 0 ? 0.0 : static_cast<double>(c) / static_cast<double>(last));
        const CELLRecord& cell = cells[c];
        if (cell.NAME.find(options.cellText) == std::string::npos) continue;
        bool headingWritten = false;
        for (const FRMRData& ref : cell.References) {
            for (uint32_t n : npcs.all(ref.NAME)) {
                const NPC_Record& npc = store.tblNPC_[n];
                if (!options.exportClones && IsCloneName(npc.FNAM)) continue;
                if (!headingWritten) {
                    CellOpening(out, options.markup, CellHeading(cell));
                    headingWritten = true;
                }
                NpcBlock(out, options.markup, npc, FactionTextIndexed(npc, store.tblFACT, factions));
                ++count;
            }
        }
        if (headingWritten) CellClosing(out, options.markup);
    }
    Footer(out, options.markup, count);
    return out;
}

NpcListResult ExportNpcList(const std::string& outPath, const NpcListOptions& options,
                            const RecordStore& store, Ui& ui, const std::string& currentFile) {
    ui.appendLog("-Generating NPC List for cell \"*" + options.cellText + "*\" from " +
                 QuotedName(currentFile) + "...");
    int32_t count = 0;
    std::string text;
    try {
        text = BuildNpcList(options, store, ui, count);
    } catch (const std::bad_alloc&) {
        ReportError(RunError::OutOfMemory, ui);
        return NpcListResult::WriteFailed;
    } catch (const std::length_error&) {
        ReportError(RunError::OutOfMemory, ui);
        return NpcListResult::WriteFailed;
    }
    std::string error;
    if (!WriteFileSafely(outPath, text, error)) {
        ReportError(WriteFailure(outPath, text.size()), ui);
        return NpcListResult::WriteFailed;
    }
    if (count > 0)
        ui.appendLog("-Listed " + std::to_string(count) + " NPCs in " + QuotedName(outPath) +
                     " successfully.");
    else
        ui.appendLog("-No NPCs found in given cell in " + QuotedName(currentFile));
    ui.setProgress(0);
    return count > 0 ? NpcListResult::Listed : NpcListResult::NoneListed;
}

} // namespace vellum
