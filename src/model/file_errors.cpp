#include "model/file_errors.h"

namespace marquetta {

std::string FileErrorMessage(FileError error, std::string_view fileName) {
    const char* text = "";
    switch (error) {
        case FileError::None:
            return {};
        case FileError::UnexpectedFormat:
            text = "予期しないﾌｧｲﾙ形式です。";
            break;
        case FileError::NotFound:
            text = "%1\nこのﾌｧｲﾙが見つかりません。\nﾊﾟｽとﾌｧｲﾙ名が正しいかどうか確認してださい。";
            break;
        case FileError::InUseReading:
            text = "%1 は使用中のため、読み取れません。";
            break;
        case FileError::InUseWriting:
            text = "%1 は使用中または読み取り専用のため、書き込めません。";
            break;
        case FileError::DiskFull:
            text = "出力先のﾃﾞｨｽｸ ﾄﾞﾗｲﾌﾞの空き容量が不足しています。";
            break;
        case FileError::OpenFailed:
            text = "ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。";
            break;
        case FileError::SaveFailed:
            text = "ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。";
            break;
        case FileError::NoCp932:
            text =
                "%1 を読み込めません。\nこのシステムの文字コード変換には CP932 (シフト JIS) "
                "がありません。";
            break;
        case FileError::NotADrawing:
            text = "%1 は Marquetta の図面ﾌｧｲﾙではないため、開けません。";
            break;
        case FileError::NotRegularFile:
            text = "%1 は通常のﾌｧｲﾙではないため、書き込めません。";
            break;
    }
    std::string message(text);
    const auto at = message.find("%1");
    if (at != std::string::npos) {
        message.replace(at, 2, fileName);
    }
    return message;
}

FileResult MakeFileResult(FileError error, std::string_view fileName) {
    return FileResult{error, FileErrorMessage(error, fileName)};
}

}  // namespace marquetta
