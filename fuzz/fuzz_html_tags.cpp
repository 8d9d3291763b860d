// The HTML tag operations on a received body: the first byte picks the operation and its tag
// arguments, the rest is the body as UTF-16. Each operation ends, stays in bounds and keeps
// its promise about the result.
#include "fuzz/FuzzSupport.h"
#include "obrix/CHtmlTagString.h"

namespace {

struct Tags {
    const char16_t* start;
    const char16_t* end;
    const char16_t* attr;
};

constexpr Tags kTags[] = {
    {u"<FONT", u"</FONT>", u"COLOR"},
    {u"<A HREF=x>", u"</A>", u"HREF"},
    {u"<OBJECT>", u"</OBJECT>", u"ID"},
    {u"<", u">", u"<"},
    {u"<BODY", u"</BODY>", u"BGCOLOR"},
    {u"<ǅ", u"</ǅ>", u"ß"},
    {u"", u"", u""},
    {u"<P>", u"<P>", u"P"},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const Tags& tags = kTags[data[0] % std::size(kTags)];
    const QString body = fuzz::Utf16(data + 1, size - 1);
    CHtmlTagString s(body);
    switch ((data[0] / std::size(kTags)) % 7) {
    case 0:
        s.DeleteAllTag();
        FUZZ_CHECK(!s.GetString().contains(u'<'));
        FUZZ_CHECK(s.GetString().size() <= body.size());
        break;
    case 1:
        s.DeleteTag(tags.start);
        FUZZ_CHECK(s.GetString().size() <= body.size());
        break;
    case 2:
        s.DeleteSplitTag(tags.start, tags.end);
        FUZZ_CHECK(s.GetString().size() <= body.size());
        break;
    case 3:
        s.InsertTagAttr(tags.start, tags.attr, u"#FF0000");
        FUZZ_CHECK(s.GetString().size() >= body.size());
        // The attribute is now in every tag, so a second pass changes nothing.
        if (QStringView(tags.attr).size() > 0 && !QStringView(tags.attr).contains(u'>')) {
            const QString once = s.GetString();
            s.InsertTagAttr(tags.start, tags.attr, u"#FF0000");
            FUZZ_CHECK(s.GetString() == once);
        }
        break;
    case 4: {
        QString inner;
        int from = 0;
        for (int steps = 0; (from = s.GetSplitTag(tags.start, tags.end, inner, from)) >= 0;
             ++steps) {
            FUZZ_CHECK(from <= body.size());
            FUZZ_CHECK(steps <= body.size());
        }
        break;
    }
    case 5:
        FUZZ_CHECK(s.IsTag(tags.start) <= 1 && s.IsSplitTag(tags.start, tags.end) <= 1);
        break;
    default:
        s.ReplaceMarkS2COld();
        break;
    }
    return 0;
}
