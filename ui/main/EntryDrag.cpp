#include "ui/main/EntryDrag.h"

#include <QDataStream>
#include <QIODevice>

namespace pernard::ui {

namespace {
constexpr quint32 kPayloadTag = 0x50524e32;  // "PRN2"
}  // namespace

QMimeData* NewEntryMime(const EntryDrag& drag) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kPayloadTag << drag.instance << drag.version << drag.index << drag.serial
        << static_cast<quint8>(drag.origin == DragView::Tree ? 0 : 1)
        << static_cast<quint32>(drag.more.size());
    for (const auto& [index, serial] : drag.more) out << index << serial;
    auto* mime = new QMimeData;
    mime->setData(kEntryMimeType, bytes);
    return mime;
}

std::optional<EntryDrag> ReadEntryMime(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasFormat(kEntryMimeType)) return std::nullopt;
    QDataStream in(mime->data(kEntryMimeType));
    quint32 tag = 0;
    quint8 origin = 0;
    EntryDrag drag;
    quint32 more = 0;
    in >> tag >> drag.instance >> drag.version >> drag.index >> drag.serial >> origin >> more;
    if (in.status() != QDataStream::Ok || tag != kPayloadTag || origin > 1) return std::nullopt;
    // Each further entry takes 16 bytes: a count the payload cannot hold is damage.
    if (more > static_cast<quint64>(mime->data(kEntryMimeType).size()) / 16) return std::nullopt;
    drag.more.resize(more);
    for (auto& [index, serial] : drag.more) in >> index >> serial;
    if (in.status() != QDataStream::Ok) return std::nullopt;
    drag.origin = origin == 0 ? DragView::Tree : DragView::List;
    return drag;
}

}  // namespace pernard::ui
