#include "device/Image_Pair.h"

#include "platform/Safe_File.h"

Image_Pair Read_Image_Pair(const QString &bank1_path, const QString &bank2_path)
{
    Image_Pair pair;
    const struct {
        const QString &Path;
        QByteArray &Bytes;
        qint64 Limit;
    } files[] = {{bank1_path, pair.Bank1, Bank1_Max_Len + Bank_Read_Margin},
                 {bank2_path, pair.Bank2, Bank2_Max_Len + Bank_Read_Margin}};
    for (const auto &f : files) {
        try {
            f.Bytes = Read_Regular_File(f.Path, f.Limit);
        } catch (const File_Access_Error &e) {
            pair.Problems << QString::fromUtf8(e.what());
        }
    }
    if (!pair.Problems.isEmpty()) return pair;
    QString error;
    pair.Images = Decode_Images(pair.Bank1, pair.Bank2, &error);
    if (!pair.Images)
        pair.Problems << QStringLiteral("%1: %2").arg(bank1_path, error);
    else
        pair.Problems << pair.Images->Problems;
    return pair;
}
