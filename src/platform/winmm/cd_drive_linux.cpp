// The real CD drive: /dev/cdrom through the Linux CD-ROM ioctls.
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/winmm/cd_drive.h"

namespace {

constexpr const char* kDefaultDrive = "/dev/cdrom";

int frame_of(const cdrom_msf0& msf) {
    return (msf.minute * 60 + msf.second) * kCdFramesPerSecond + msf.frame;
}

void set_msf(int frame, __u8* minute, __u8* second, __u8* frame_out) {
    *minute = static_cast<__u8>(frame / (60 * kCdFramesPerSecond));
    *second = static_cast<__u8>(frame / kCdFramesPerSecond % 60);
    *frame_out = static_cast<__u8>(frame % kCdFramesPerSecond);
}

MCIERROR error_of_errno() {
    return errno == ENOMEDIUM || errno == EIO || errno == ENXIO ? MCIERR_DEVICE_NOT_READY
                                                                : MCIERR_HARDWARE;
}

class LinuxCdDrive final : public CdDrive {
public:
    explicit LinuxCdDrive(int fd) : fd_(fd) {}
    ~LinuxCdDrive() override { ::close(fd_); }
    LinuxCdDrive(const LinuxCdDrive&) = delete;
    LinuxCdDrive& operator=(const LinuxCdDrive&) = delete;

    MCIERROR read_toc(CdToc* toc) override {
        cdrom_tochdr header{};
        if (::ioctl(fd_, CDROMREADTOCHDR, &header) != 0) return error_of_errno();
        if (header.cdth_trk0 < 1 || header.cdth_trk1 < header.cdth_trk0 || header.cdth_trk1 > 99) {
            return MCIERR_HARDWARE;
        }
        CdToc result;
        result.first_track = header.cdth_trk0;
        for (int track = header.cdth_trk0; track <= header.cdth_trk1 + 1; ++track) {
            cdrom_tocentry entry{};
            entry.cdte_track = static_cast<__u8>(track > header.cdth_trk1 ? CDROM_LEADOUT : track);
            entry.cdte_format = CDROM_MSF;
            if (::ioctl(fd_, CDROMREADTOCENTRY, &entry) != 0) return error_of_errno();
            const int frame = frame_of(entry.cdte_addr.msf);
            // A table whose addresses go backwards cannot be played from.
            const int previous = result.starts.empty() ? -1 : result.starts.back();
            if (frame <= previous) return MCIERR_HARDWARE;
            if (track > header.cdth_trk1) {
                result.leadout = frame;
            } else {
                result.starts.push_back(frame);
            }
        }
        *toc = std::move(result);
        return 0;
    }

    MCIERROR play(int start, int end) override {
        cdrom_msf msf{};
        set_msf(start, &msf.cdmsf_min0, &msf.cdmsf_sec0, &msf.cdmsf_frame0);
        // One frame short of `end`: drives differ on whether the end address is played.
        set_msf(end - 1, &msf.cdmsf_min1, &msf.cdmsf_sec1, &msf.cdmsf_frame1);
        return ::ioctl(fd_, CDROMPLAYMSF, &msf) == 0 ? 0 : error_of_errno();
    }

    MCIERROR subchannel(CdSubchannel* out) override {
        cdrom_subchnl sc{};
        sc.cdsc_format = CDROM_MSF;
        if (::ioctl(fd_, CDROMSUBCHNL, &sc) != 0) return error_of_errno();
        switch (sc.cdsc_audiostatus) {
            case CDROM_AUDIO_PLAY:
                out->status = CdAudioStatus::Playing;
                break;
            case CDROM_AUDIO_PAUSED:
                out->status = CdAudioStatus::Paused;
                break;
            case CDROM_AUDIO_COMPLETED:
                out->status = CdAudioStatus::Completed;
                break;
            default:
                out->status = CdAudioStatus::Idle;
                break;
        }
        out->frame = frame_of(sc.cdsc_absaddr.msf);
        return 0;
    }

    MCIERROR stop() override { return ::ioctl(fd_, CDROMSTOP) == 0 ? 0 : error_of_errno(); }

private:
    const int fd_;
};

class LinuxCdBackend final : public CdBackend {
public:
    MCIERROR open_drive(std::unique_ptr<CdDrive>* drive) override {
        // Without O_NONBLOCK the open fails when the tray holds no disc.
        const int fd = ::open(kDefaultDrive, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            return errno == ENOENT || errno == ENXIO || errno == ENODEV
                       ? MCIERR_DEVICE_NOT_INSTALLED
                       : MCIERR_HARDWARE;
        }
        *drive = std::make_unique<LinuxCdDrive>(fd);
        return 0;
    }
};

}  // namespace

CdBackend& linux_cd_backend() {
    static LinuxCdBackend backend;
    return backend;
}
