// The instance protocol's frame reader over any byte stream, fed in pieces of any size: it gives
// whole JSON objects or says the stream is broken, and a message it gives encodes back to a frame.
#include "FuzzInput.h"
#include "instance/InstanceProtocol.h"

#include <cstdlib>

using namespace tolvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput in(data, size);
    instance::FrameReader reader;
    while (!in.atEnd()) {
        reader.feed(in.bytes(300));
        QJsonObject message;
        instance::FrameReader::State state;
        while ((state = reader.next(&message)) == instance::FrameReader::State::Message) {
            const QByteArray again = instance::encodeReply(message);
            if (again.size() < 4 || again.size() > 4 + instance::kMaxFrameSize)
                std::abort();
        }
        if (state == instance::FrameReader::State::Broken && reader.problem().isEmpty())
            std::abort();
    }
    return 0;
}
