#include "ui/EntryDrag.h"

#include <QDataStream>
#include <QIODevice>

namespace pernard::ui {

namespace {
constexpr quint32 kPayloadTag = 0x50524e31;  // "PRN1"
}  // namespace

QMimeData* NewEntryMime(const EntryDrag& drag) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << kPayloadTag << drag.instance << drag.version << drag.index << drag.serial
        << static_cast<quint8>(drag.origin == DragView::Tree ? 0 : 1);
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
    in >> tag >> drag.instance >> drag.version >> drag.index >> drag.serial >> origin;
    if (in.status() != QDataStream::Ok || tag != kPayloadTag || origin > 1) return std::nullopt;
    drag.origin = origin == 0 ? DragView::Tree : DragView::List;
    return drag;
}

}  // namespace pernard::ui
