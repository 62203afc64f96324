#include "player/status_packet.h"

#include <cstring>

#include <librtmp/amf.h>

namespace zv {

namespace {

constexpr char kAmfStringMarker = 0x02;

bool IsString(const AMFObjectProperty* prop, const char* text) {
  if (prop == nullptr || prop->p_type != AMF_STRING) return false;
  AVal value;
  AMFProp_GetString(const_cast<AMFObjectProperty*>(prop), &value);
  size_t length = std::strlen(text);
  return value.av_len == static_cast<int>(length) && std::memcmp(value.av_val, text, length) == 0;
}

std::string CodeOf(AMFObject& command) {
  AMFObjectProperty* info = AMF_GetProp(&command, nullptr, 3);
  if (info == nullptr || info->p_type != AMF_OBJECT) return {};
  AMFObject object;
  AMFProp_GetObject(info, &object);
  AVal name = {const_cast<char*>("code"), 4};
  AMFObjectProperty* code = AMF_GetProp(&object, &name, -1);
  if (code == nullptr || code->p_type != AMF_STRING) return {};
  AVal value;
  AMFProp_GetString(code, &value);
  if (value.av_val == nullptr || value.av_len <= 0) return {};
  return std::string(value.av_val, static_cast<size_t>(value.av_len));
}

}  // namespace

std::string ReadStatusCode(uint8_t messageType, const char* body, uint32_t size) {
  if (messageType != kRtmpCommandAmf0 || body == nullptr || size < 1 || body[0] != kAmfStringMarker) return {};
  if (size > 0x7FFFFFFF) return {};
  AMFObject command;
  if (AMF_Decode(&command, body, static_cast<int>(size), FALSE) < 0) return {};
  std::string code;
  if (IsString(AMF_GetProp(&command, nullptr, 0), "onStatus")) code = CodeOf(command);
  AMF_Reset(&command);
  return code;
}

}  // namespace zv
