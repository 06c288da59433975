#pragma once
// The renderer of web parts and portal pages: XSLT 1.0 through libxslt, with
// the stylesheet kept away from the file system and the network.

#include <string>
#include <string_view>

namespace wpe {

class TXslGenerator {
public:
    // includeFolder: the one folder whose files a stylesheet may import,
    // include, read with document() or name as its DTD; empty allows none.
    explicit TXslGenerator(std::string includeFolder = {});

    // Changes the folder described at construction.
    void setIncludeFolder(std::string includeFolder);
    const std::string& includeFolder() const { return includeFolder_; }

    // Entity declarations served ahead of the folder's "main.dtd" whenever a
    // stylesheet loads it; the first declaration of an entity wins, so these
    // give the current values of the portal's entities.
    void setDtdPrefix(std::string declarations);
    const std::string& dtdPrefix() const { return dtdPrefix_; }

    // The output of stylesheet xsl applied to document xml, both UTF-8 text
    // (any encoding declaration inside is overridden); the output is UTF-8.
    // A malformed document or stylesheet, a stylesheet error or a refused
    // load raises wpe::Exception with libxml2's and libxslt's messages.
    // What they reported on a run that still gave an output (a document()
    // load refused, say) goes to warnings when it is given, one per line.
    std::string transform(std::string_view xml, std::string_view xsl, std::string* warnings = nullptr) const;

    // The same for texts read from files: each is decoded as its own XML
    // declaration says, and the output is in the stylesheet's output encoding.
    // baseUrl names the stylesheet's file, for relative references.
    std::string transformFileTexts(std::string_view xml, std::string_view xsl, const std::string& baseUrl) const;

private:
    std::string run(std::string_view xml, std::string_view xsl, const char* encoding, const std::string& baseUrl,
                    std::string* warnings) const;

    std::string includeFolder_;
    std::string dtdPrefix_;
};

} // namespace wpe
