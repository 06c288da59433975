#pragma once
// Building the text of a new web part from an RSS feed.

#include <string>

namespace wpe {

// The web part text for a feed: prologText (the template prolog, ending with
// the WebPart start tag) followed by the channel's title, description, link
// and language when the feed has them, the fixed RSS reader settings with
// url as the content link, a part storage block, and "</WebPart>" without a
// line break. Element texts are taken as the tag parser decodes them and
// written escaped, so the result always parses.
// An empty feed fails with the tag parser's error.
std::string BuildRssWebPartText(const std::string& prologText, const std::string& feedText,
                                const std::string& url);

} // namespace wpe
