#pragma once
// Device side of the character-coded ТИРВ protocol: numbers as base-32 digits (character
// 60 + digit), fields separated by ";" and ",", closed by a CRC field and "#".
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tirv::sim {

void AppendTextNumber(std::string& out, unsigned value);
// Empty field = 0; nullopt for a character outside the digit range or a value above 0xFFFF.
std::optional<unsigned> ParseTextNumber(std::string_view field);

enum class TextCommand : std::uint8_t { LinkCheck, Read, Write, Command };

struct TextRequest {
    TextCommand command = TextCommand::Read;
    int address = 0;
    unsigned start = 0;
    bool startGiven = true;  // variant 0 reads send "<" in place of the start
    unsigned count = 0;
    std::vector<std::uint16_t> values;  // writes and commands
    std::string header;                 // request text from ":" up to the CRC field
};

// Parses one frame ":" … "#" as a relay of the given variant understands it; nullopt for
// anything malformed, a CRC mismatch included (the relay stays silent).
std::optional<TextRequest> ParseTextRequest(std::span<const std::uint8_t> frame, int variant,
                                            int valuesPerFrame);

// Closes `body` (text after ":" included from the start) with the CRC field and "#".
std::string CloseTextFrame(std::string body);

// Read reply: the echoed header, the values, ";", CRC, "#".
std::string BuildTextReadReply(const TextRequest& req, std::span<const std::uint16_t> values);

// Link-check reply: the request echoed with its first value character "<" (the relay's side
// of the check), closed with a fresh CRC.
std::string BuildTextLinkCheckReply(const TextRequest& req);

// Write acknowledgement: address, command, start and count fields closed by ";" (five in all,
// the last one after an empty status field), then the CRC and "#".
std::string BuildTextWriteAck(const TextRequest& req);

}  // namespace tirv::sim
