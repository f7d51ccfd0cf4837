#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <memory>
#include <utility>

namespace r5fw {

// The head of one HTTP request, read by the HTTP library as its bytes come in. Only the
// request line and the header are wanted: the server answers one request per connection.
class RequestReader
{
public:
    RequestReader();
    ~RequestReader();

    enum class Result { NeedMore, Done, Bad };
    // Feeds bytes as they arrive; Bad: not HTTP, or a header over 8 KiB.
    Result feed(QByteArrayView bytes);

    // Known once the request line is whole, also when the rest of the header never comes.
    QByteArray method() const;
    QByteArray target() const;
    QByteArray range() const;

private:
    struct Parser;
    std::unique_ptr<Parser> m_parser;
    QByteArray m_pending;
};

// An answer's status line and header fields, as the HTTP library writes them.
QByteArray responseHead(int status, const QList<std::pair<QByteArray, QByteArray>> &fields);

} // namespace r5fw
