#include "commands/ReportCommands.h"

#include "commands/WriteGate.h"

namespace pernard {

bool SaveUrlListReport(const BmLogic& model, int folder, bool expanded, const std::string& path,
                       const UrlListPage& page, int& written, std::string& errorText) {
    written = 0;
    errorText.clear();
    if (!model.IsValidIndex(folder) || !model.IsFolder(folder)) {
        errorText = kReportNeedsFolder;
        return false;
    }
    const WriteRequest request{.kind = WriteKind::Page, .target = path, .roots = {}};
    const WriteDecision decision = WriteGate::Decide(model, request);
    if (!decision.Allowed()) return false;
    return SaveUrlList(model, folder, expanded, *decision.permit, page, written, errorText);
}

}  // namespace pernard
