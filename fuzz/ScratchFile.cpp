#include "ScratchFile.h"

#include "FuzzCheck.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

class TScratchFolder {
public:
    TScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestovar-fuzz-XXXXXX");
        FUZZ_REQUIRE(::mkdtemp(pattern.data()) != nullptr);
        FFolder = pattern;
        FFile = FFolder + "/input.kvf";
    }
    ~TScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(FFolder, ignored);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    const std::string& File() const noexcept { return FFile; }

private:
    std::string FFolder;
    std::string FFile;
};

} // namespace

const std::string& WriteScratchFile(const std::uint8_t* data, std::size_t size) {
    static const TScratchFolder folder;
    // A new file each time: truncating one that was just written makes ext4 wait for its
    // write-back, which costs more than the whole run.
    FUZZ_REQUIRE(::unlink(folder.File().c_str()) == 0 || errno == ENOENT);
    const int fd = ::open(folder.File().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    FUZZ_REQUIRE(fd >= 0);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t count = ::write(fd, data + written, size - written);
        FUZZ_REQUIRE(count > 0);
        written += static_cast<std::size_t>(count);
    }
    FUZZ_REQUIRE(::close(fd) == 0);
    return folder.File();
}
