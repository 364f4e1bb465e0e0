#include "gfx/png_writer.h"

#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <limits>

namespace morvane {

namespace {

// Owns one reference to a COM object.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_ != nullptr) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T** out() { return &p_; }
  T* get() const { return p_; }
  T* operator->() const { return p_; }

 private:
  T* p_ = nullptr;
};

// The imaging component for the life of the process: COM is started on the
// first thread that encodes and stopped at exit, when this object goes.
class Imaging {
 public:
  Imaging() {
    com_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // Another part of the program may have chosen the other apartment type
    // first: COM works all the same, and is not ours to stop.
    if (FAILED(com_) && com_ != RPC_E_CHANGED_MODE) return;
    created_ = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory_));
  }
  ~Imaging() {
    if (factory_ != nullptr) factory_->Release();
    if (SUCCEEDED(com_)) CoUninitialize();
  }
  Imaging(const Imaging&) = delete;
  Imaging& operator=(const Imaging&) = delete;

  IWICImagingFactory* factory() const { return factory_; }
  HRESULT why_not() const { return FAILED(com_) && com_ != RPC_E_CHANGED_MODE ? com_ : created_; }

 private:
  HRESULT com_ = E_FAIL;
  HRESULT created_ = E_FAIL;
  IWICImagingFactory* factory_ = nullptr;
};

Imaging& imaging() {
  static Imaging instance;
  return instance;
}

bool failed(HRESULT hr, const char* step, WriteFailure& failure) {
  if (SUCCEEDED(hr)) return false;
  failure.step = step;
  failure.code = static_cast<std::uint32_t>(hr);
  return true;
}

// One PNG frame of the image into the stream.
bool encode_frame(IWICImagingFactory& factory, const BgrImage& image, IStream& stream,
                  WriteFailure& failure) {
  constexpr const char* kEncoding = "encoding the image";
  ComRef<IWICBitmapEncoder> encoder;
  if (failed(factory.CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out()), kEncoding, failure) ||
      failed(encoder->Initialize(&stream, WICBitmapEncoderNoCache), kEncoding, failure))
    return false;
  ComRef<IWICBitmapFrameEncode> frame;
  ComRef<IPropertyBag2> options;
  if (failed(encoder->CreateNewFrame(frame.out(), options.out()), kEncoding, failure) ||
      failed(frame->Initialize(options.get()), kEncoding, failure) ||
      failed(frame->SetSize(image.width, image.height), kEncoding, failure))
    return false;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (failed(frame->SetPixelFormat(&format), kEncoding, failure)) return false;
  // An encoder that would convert the pixels could change them.
  if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    failure = {"the PNG encoder does not take 24-bit pixels", 0};
    return false;
  }
  const UINT size = static_cast<UINT>(image.bytes.size());
  BYTE* pixels = const_cast<BYTE*>(image.bytes.data());  // WritePixels only reads them
  return !failed(frame->WritePixels(image.height, image.stride, size, pixels), kEncoding, failure) &&
         !failed(frame->Commit(), kEncoding, failure) && !failed(encoder->Commit(), kEncoding, failure);
}

// Everything written to the memory stream.
bool stream_bytes(IStream& stream, std::vector<std::uint8_t>& bytes, WriteFailure& failure) {
  constexpr const char* kReading = "reading the encoded image";
  STATSTG stat{};
  if (failed(stream.Stat(&stat, STATFLAG_NONAME), kReading, failure)) return false;
  if (stat.cbSize.QuadPart > std::numeric_limits<ULONG>::max()) {
    failure = {"the encoded image is too large", 0};
    return false;
  }
  bytes.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
  LARGE_INTEGER start{};
  ULONG got = 0;
  if (failed(stream.Seek(start, STREAM_SEEK_SET, nullptr), kReading, failure) ||
      failed(stream.Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got), kReading, failure))
    return false;
  if (got != bytes.size()) {
    failure = {kReading, 0};
    return false;
  }
  return true;
}

bool well_formed(const BgrImage& image) {
  const std::uint64_t row = std::uint64_t{image.width} * 3;
  const std::uint64_t need = std::uint64_t{image.stride} * image.height;
  return image.width > 0 && image.height > 0 && image.stride >= row && image.bytes.size() >= need &&
         image.bytes.size() <= std::numeric_limits<UINT>::max();
}

}  // namespace

bool encode_png(const BgrImage& image, std::vector<std::uint8_t>& png, WriteFailure& failure) {
  if (!well_formed(image)) {
    failure = {"the image has no pixels or fewer than its size needs", 0};
    return false;
  }
  IWICImagingFactory* factory = imaging().factory();
  if (factory == nullptr) {
    failure = {"the Windows Imaging Component cannot be started", static_cast<std::uint32_t>(imaging().why_not())};
    return false;
  }
  ComRef<IStream> stream;
  if (failed(CreateStreamOnHGlobal(nullptr, TRUE, stream.out()), "making room for the image", failure))
    return false;
  return encode_frame(*factory, image, *stream.get(), failure) && stream_bytes(*stream.get(), png, failure);
}

bool write_png(const std::string& path, const BgrImage& image, WriteFailure& failure) {
  std::vector<std::uint8_t> png;
  return encode_png(image, png, failure) && store_whole_file(path, png, failure);
}

}  // namespace morvane
