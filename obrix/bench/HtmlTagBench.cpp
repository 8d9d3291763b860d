// Time of the tag operations on the largest body the service accepts (1 MiB of UTF-8), full of
// the tags each one edits. Every operation should take milliseconds, growing in proportion to
// the body.
//
//   obrix_html_tag_bench [KIB]
#include "obrix/CHtmlTagString.h"

#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

void Measure(const char* name, const QString& body,
             const std::function<void(CHtmlTagString&)>& op) {
    CHtmlTagString s(body);
    QElapsedTimer t;
    t.start();
    op(s);
    std::printf("%-40s %8.2f ms  (%lld -> %lld characters)\n", name, t.nsecsElapsed() / 1e6,
                static_cast<long long>(body.size()), static_cast<long long>(s.GetString().size()));
}

} // namespace

int main(int argc, char** argv) {
    const qsizetype bytes = qsizetype(argc > 1 ? std::max(1, std::atoi(argv[1])) : 1024) * 1024;
    const QString unit = QStringLiteral("<FONT SIZE=3>x</FONT>");
    const QString tags = unit.repeated(bytes / unit.size());
    const QString open = QStringLiteral("<A>").repeated(bytes / 3);
    Measure("DeleteAllTag, tags", tags, [](CHtmlTagString& s) { s.DeleteAllTag(); });
    Measure("DeleteTag <FONT, tags", tags, [](CHtmlTagString& s) { s.DeleteTag(u"<FONT"); });
    Measure("DeleteTag <A, tags only", open, [](CHtmlTagString& s) { s.DeleteTag(u"<A"); });
    Measure("DeleteSplitTag <FONT..</FONT>", tags,
            [](CHtmlTagString& s) { s.DeleteSplitTag(u"<FONT", u"</FONT>"); });
    Measure("InsertTagAttr <FONT COLOR", tags,
            [](CHtmlTagString& s) { s.InsertTagAttr(u"<FONT", u"COLOR", u"#FF0000"); });
    return 0;
}
