#include "app/WarcProblemText.h"

#include <QRegularExpression>
#include <utility>
#include <vector>

namespace {

// Each phrase of the problems, in the order they are replaced: longer ones first.
const std::vector<std::pair<QString, QString>>& Phrases() {
    static const std::vector<std::pair<QString, QString>> phrases = {
        {R"(: not a WARC file \()", "：不是 WARC 或 ARC 文件（"},
        {R"(no WARC record begins here)", "此处没有 WARC 记录"},
        {R"(a corrupt record header \(longer than any record's\))",
         "记录头已损坏（比任何记录头都长）"},
        {R"(a corrupt record header \(no valid Content-Length\))",
         "记录头已损坏（没有有效的 Content-Length）"},
        {R"(a corrupt record header \(a line that is no field\))",
         "记录头已损坏（有一行不是字段）"},
        {R"(a corrupt ARC record header \(no valid length\))",
         "ARC 记录头已损坏（没有有效的长度）"},
        {R"(the record header is cut short)", "记录头不完整"},
        {R"(the record runs past the end of the file \(a block of (\d+) bytes, (\d+) there\))",
         "记录超出了文件末尾（内容应有 \\1 字节，只有 \\2 字节）"},
        {R"(the record lacks its end after a block of (\d+) bytes \(a wrong Content-Length\?\))",
         "\\1 字节的内容之后没有记录结尾（Content-Length 有误？）"},
        {R"(: holds no WARC record)", "：不含任何 WARC 记录"},
        {R"(: (\d+) more problems)", "：另有 \\1 个问题"},
        {R"(the gzip member is cut short by the end of the file)", "gzip 数据段被文件末尾截断"},
        // zlib's reason ("invalid block type") says nothing more to the user than this.
        {R"(the gzip member does not inflate \([^)]*\))", "gzip 数据段无法解压（数据已损坏）"},
        {R"(no gzip member begins here)", "此处没有 gzip 数据段"},
        {R"(a revisit record stands for a record that none of the files hold)",
         "重访记录所指的原记录不在任何文件中"},
        {R"(a revisit record stands for a revisit record whose record none of the files hold)",
         "重访记录所指的重访记录，其原记录不在任何文件中"},
        {R"(a revisit record stands for a chain of revisit records that goes on past (\d+) links and reaches no record with content)",
         "重访记录所指的一串重访记录超过 \\1 层，找不到有内容的记录"},
        {R"(a revisit record stands for a chain of revisit records that comes back to itself and reaches no record with content)",
         "重访记录所指的一串重访记录绕回自身，找不到有内容的记录"},
        {R"(: cannot be read as a WACZ file \()", "：无法作为 WACZ 文件读取（"},
        {R"(: holds no WARC file)", "：不含 WARC 文件"},
        {R"(: (\d+) lines of its index name no record of its WARC files)",
         "：索引中有 \\1 行没有指向其中 WARC 文件的记录"},
        {R"(the index names a record that is not there \()", "索引所指的记录不存在（"},
        {R"((\d+) more records that an index names are not there)",
         "另有 \\1 条索引所指的记录不存在"},
        {R"(: holds no \.warc, \.warc\.gz, \.arc, \.arc\.gz or \.wacz file)",
         "：不含 .warc、.warc.gz、.arc、.arc.gz 或 .wacz 文件"},
        {R"(^warc: names no file$)", "warc: 没有指定文件"},
        {R"(: cannot be read \()", "：无法读取（"},
        {R"( \((\d+) bytes into its gzip member\))", "（gzip 数据段内第 \\1 字节）"},
        {R"(, offset (\d+): )", "，偏移 \\1："},
        {R"([(（]offset (\d+): )", "（偏移 \\1："},
        {R"(No such file or directory)", "没有这个文件或文件夹"},
        {R"(Permission denied)", "没有读取权限"},
        {R"(Not a zip archive)", "不是 zip 文件"},
        {R"(Is a directory)", "是文件夹"},
        {R"(not a file\))", "不是文件）"},
    };
    return phrases;
}

}  // namespace

QString WarcProblemInChinese(const QString& problem) {
    QString chinese = problem;
    for (const auto& [english, said] : Phrases()) {
        chinese.replace(QRegularExpression(english), said);
    }
    // Closing brackets of the English reasons match the Chinese opening ones.
    if (chinese.count(QStringLiteral("（")) > chinese.count(QStringLiteral("）"))) {
        const qsizetype last = chinese.lastIndexOf(QChar(')'));
        if (last >= 0) {
            chinese.replace(last, 1, QStringLiteral("）"));
        }
    }
    return chinese;
}
