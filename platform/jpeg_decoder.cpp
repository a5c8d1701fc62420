#include "platform/jpeg_decoder.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <csetjmp>

namespace platform {

namespace {

struct ErrorExit {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorExit*>(info->err)->jump, 1);
}

void Quiet(j_common_ptr, int) {}

// A colour profile or a comment: Qt's reader keeps them with the picture.
bool HasProfileOrComment(const jpeg_decompress_struct& info) { return info.marker_list != nullptr; }

void SetDensity(const jpeg_decompress_struct& info, QImage& out) {
  if (info.density_unit == 1) {
    out.setDotsPerMeterX(int(100. * info.X_density / 2.54));
    out.setDotsPerMeterY(int(100. * info.Y_density / 2.54));
  } else if (info.density_unit == 2) {
    out.setDotsPerMeterX(int(100. * info.X_density));
    out.setDotsPerMeterY(int(100. * info.Y_density));
  }
}

// Decodes into `out` (allocated here at the reduced size); false when the
// picture is not one this path takes or is broken. Holds no object with a
// destructor across the jump but `out`, which is assigned before any call
// that can jump and left as it is when one does.
bool DecodeReduced(const std::string& bytes, QSize scaledSize, QImage& out) {
  jpeg_decompress_struct info{};
  ErrorExit error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JumpOut;
  error.manager.emit_message = Quiet;
  if (setjmp(error.jump) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(&info, JPEG_APP0 + 2, 1);
  jpeg_save_markers(&info, JPEG_COM, 1);
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.num_components != 3 ||
      (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB) ||
      HasProfileOrComment(info) || info.image_width == 0 || info.image_height == 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  const double f = std::min(double(info.image_width) / scaledSize.width(),
                            double(info.image_height) / scaledSize.height());
  info.scale_num = static_cast<unsigned int>(std::clamp(static_cast<int>(std::ceil(8 / f)), 1, 8));
  info.scale_denom = 8;
  info.dct_method = JDCT_ISLOW;
  info.do_fancy_upsampling = TRUE;
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_calc_output_dimensions(&info);
  out = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
               QImage::Format_RGB32);
  if (out.isNull()) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  SetDensity(info, out);
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out.scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

QImage DecodeJpegScaled(const std::string& bytes, QSize scaledSize) {
  if (bytes.size() < 4 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
      static_cast<unsigned char>(bytes[1]) != 0xD8 || scaledSize.isEmpty()) {
    return QImage();
  }
  QImage out;
  if (!DecodeReduced(bytes, scaledSize, out)) return QImage();
  if (out.size() != scaledSize) {
    out = out.scaled(scaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  return out;
}

}  // namespace platform
