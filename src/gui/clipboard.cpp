// The desktop's clipboard for the program: the forms the core hands over become one
// QMimeData, so that other programs (and other runs of this one) see them all; plain
// text goes as text, every other form as its MIME type's bytes.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "gui/qt_platform.h"

namespace marquetta {
namespace {

QString MimeName(std::string_view mimeType) {
    return QString::fromLatin1(mimeType.data(), static_cast<qsizetype>(mimeType.size()));
}

const QMimeData* ClipboardData() {
    return QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
}

}  // namespace

void QtPlatform::WriteClipboard(const std::vector<ClipboardForm>& forms) {
    auto* data = new QMimeData;
    for (const ClipboardForm& form : forms) {
        if (form.mimeType == kPlainText) {
            data->setText(QString::fromUtf8(form.bytes.data(), static_cast<qsizetype>(form.bytes.size())));
        } else {
            data->setData(MimeName(form.mimeType),
                          QByteArray(form.bytes.data(), static_cast<qsizetype>(form.bytes.size())));
        }
    }
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}

std::optional<std::string> QtPlatform::ReadClipboard(std::string_view mimeType) {
    const QMimeData* data = ClipboardData();
    if (data == nullptr) {
        return std::nullopt;
    }
    if (mimeType == kPlainText) {
        if (!data->hasText()) {
            return std::nullopt;
        }
        return data->text().toStdString();
    }
    const QString name = MimeName(mimeType);
    if (!data->hasFormat(name)) {
        return std::nullopt;
    }
    const QByteArray bytes = data->data(name);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool QtPlatform::ClipboardHas(std::string_view mimeType) {
    const QMimeData* data = ClipboardData();
    if (data == nullptr) {
        return false;
    }
    return mimeType == kPlainText ? data->hasText() : data->hasFormat(MimeName(mimeType));
}

}  // namespace marquetta
