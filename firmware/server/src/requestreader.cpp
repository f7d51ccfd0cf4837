#include "requestreader.h"

#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/write.hpp>
#include <sstream>

namespace http = boost::beast::http;

namespace r5fw {

namespace {

constexpr std::uint32_t kHeaderLimit = 8 * 1024;

QByteArray bytes(boost::beast::string_view text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

} // namespace

struct RequestReader::Parser
{
    http::request_parser<http::empty_body> parser;
};

RequestReader::RequestReader() : m_parser(std::make_unique<Parser>())
{
    m_parser->parser.header_limit(kHeaderLimit);
}

RequestReader::~RequestReader() = default;

RequestReader::Result RequestReader::feed(QByteArrayView input)
{
    http::request_parser<http::empty_body> &parser = m_parser->parser;
    if (parser.is_header_done())
        return Result::Done;
    // The parser wants the header in one piece: what it has not taken yet is kept and offered
    // again with what follows. The limit above bounds it.
    m_pending.append(input.data(), input.size());
    boost::beast::error_code ec;
    const std::size_t used =
        parser.put(boost::asio::buffer(m_pending.constData(), std::size_t(m_pending.size())), ec);
    m_pending.remove(0, qsizetype(used));
    if (parser.is_header_done())
        return Result::Done;
    if (ec == http::error::need_more && m_pending.size() <= qsizetype(kHeaderLimit))
        return Result::NeedMore;
    return Result::Bad;
}

QByteArray RequestReader::method() const
{
    return bytes(m_parser->parser.get().method_string());
}

QByteArray RequestReader::target() const
{
    return bytes(m_parser->parser.get().target());
}

QByteArray RequestReader::range() const
{
    const auto &request = m_parser->parser.get();
    const auto found = request.find(http::field::range);
    return found == request.end() ? QByteArray() : bytes(found->value());
}

QByteArray responseHead(int status, const QList<std::pair<QByteArray, QByteArray>> &fields)
{
    http::response<http::empty_body> response;
    response.version(11);
    response.result(unsigned(status));
    for (const auto &[name, value] : fields)
        response.set(boost::beast::string_view(name.constData(), std::size_t(name.size())),
                     boost::beast::string_view(value.constData(), std::size_t(value.size())));
    std::ostringstream out;
    out << response.base();
    const std::string text = out.str();
    return QByteArray(text.data(), qsizetype(text.size()));
}

} // namespace r5fw
