#include "tests/report/ProductInformation.h"

namespace ProductInformation {

std::string File(const std::string& version, const std::optional<std::string>& notes)
{
    std::string file = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                       "\t<key>padVersion</key>\n\t<string>1.0</string>\n"
                       "\t<key>productName</key>\n\t<string>Kelvara</string>\n"
                       "\t<key>productVersion</key>\n\t<string>"
        + version + "</string>\n";
    if (notes)
        file += "\t<key>productReleaseNotes</key>\n\t<string>" + *notes + "</string>\n";
    return file + "</dict>\n</plist>\n";
}

std::string Reply(const std::string& body)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n"
        + body;
}

}
