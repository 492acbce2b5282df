# Two commands do all the set-up on a fresh Debian machine: `make run` and `make test`.
.PHONY: all deps host windows test run readme-images dist bench fuzz clean

all: host windows

deps:
	@tools/install-deps.sh

host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host -j2

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j2

test: host windows
	@tools/run-tests.sh

# Only what it runs: the program, the stand-in desktop and the tour's driver, not the test suites.
run: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j2 --target quillmarsh standin-desktop program-tour
	@tools/run-program.sh

# The README's pictures in docs/images/, taken by make run's scripted tour.
readme-images: windows
	@tools/readme-images.sh

# What a user downloads: build/dist/quillmarsh-<version>.zip with the program, README.md and
# LICENSE; the version is the one res/QuillMarsh.rc's version record holds (tools/version.sh).
dist: windows
	@tools/make-dist.sh

# Not part of `make test`: the settings engine on the host and capture/apply under Wine; the
# figures and how to read them are in docs/performance.md.
bench: deps windows
	cmake --preset bench >/dev/null
	cmake --build --preset bench -j2 --target settings_bench
	@tools/bench.sh

# Not part of `make test`: builds the fuzz targets with clang and runs each for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) tools/fuzz.sh

clean:
	rm -rf build
