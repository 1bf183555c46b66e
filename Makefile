# The two commands a newcomer needs: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
# make install PREFIX=... DESTDIR=...
PREFIX ?= /usr/local
# Extra CMake options for the builds, e.g. KW_CMAKE_FLAGS=-DKW_WERROR=ON (CI).
KW_CMAKE_FLAGS ?=

.PHONY: deps configure build test run install uninstall package bench bench-run screenshots format format-check clean

deps:
	scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(KW_CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The build puts the help text beside the program, so any folder will do.
run: build
	$(BUILD)/src/app/Kwintor2

install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

# Removes what the last install wrote.
uninstall:
	xargs -d '\n' rm -f -- < $(BUILD)/install_manifest.txt

# The Debian package, in $(BUILD); scripts/check-package also runs lintian on it.
package: build
	cd $(BUILD) && cpack -G DEB

bench: deps
	cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKW_BUILD_BENCH=ON -DKW_BUILD_TESTS=OFF -DKW_BUILD_GUI=OFF
	cmake --build $(BUILD)-bench -j $(JOBS)
	$(BUILD)-bench/bench/kwintor2-bench
	$(BUILD)-bench/bench/kwintor2-run-bench

# The whole kwintor2-batch process against unzip -p of its sheet (see bench/bench-run).
bench-run: deps
	bench/bench-run $(BUILD)-bench

screenshots: build
	scripts/install-deps --screenshots
	scripts/screenshots $(BUILD)

# The core, the batch command and the tests without windows, built with ASan
# and UBSan in a folder of their own, and run.
.PHONY: sanitize clean-sanitize
sanitize: deps
	cmake -S . -B $(BUILD)-sanitize -G Ninja -DKW_SANITIZE=ON -DKW_BUILD_GUI=OFF $(KW_CMAKE_FLAGS)
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	# The batch tests start the command under libfaketime's preload, ahead of ASan's runtime.
	cd $(BUILD)-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:verify_asan_link_order=0 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)
clean: clean-sanitize
clean-sanitize:
	rm -rf $(BUILD)-sanitize

# The readers' libFuzzer harnesses (clang, ASan and UBSan) in a folder of
# their own; each then runs FUZZ_SECONDS at the lowest priority (0: build only).
.PHONY: fuzz clean-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	scripts/install-deps --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -G Ninja -DKW_BUILD_FUZZ=ON -DKW_BUILD_TESTS=OFF -DKW_BUILD_GUI=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_xlsx fuzz_xlsx_part fuzz_xls fuzz_register
	fuzz/run $(BUILD)-fuzz $(FUZZ_SECONDS)
clean: clean-fuzz
clean-fuzz:
	rm -rf $(BUILD)-fuzz

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails when a file is not formatted as .clang-format says.
format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(BUILD)-bench
