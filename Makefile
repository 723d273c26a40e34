# The two commands of the README, plus the benchmarks.
# A failed test runs once more, since under Wine a process can fail for reasons outside its code; the
# summary names every test that needed the second run and shows what each failed run printed.
BUILD ?= build
CMAKE_FLAGS ?= -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Several checkouts on one machine share compiled objects when ccache is there (never required).
ifneq ($(shell command -v ccache),)
CMAKE_FLAGS += -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR := $(abspath ..)
export CCACHE_NOHASHDIR := 1
endif
JOBS ?= $(shell nproc)
WINE_RUN = scripts/wine-run --build $(BUILD)
# Benchmarks run without the heap checking that every test process has.
IFEO = HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options

.PHONY: test demo bench setup configure build clean

setup:
	scripts/setup

configure: setup
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	@status=0; \
	$(WINE_RUN) --start; \
	cd $(BUILD) && ctest -j $(JOBS) --timeout 120 --repeat until-pass:2 --output-on-failure > ctest.log 2>&1 || status=$$?; \
	cd $(CURDIR) && $(WINE_RUN) --stop; \
	scripts/ctest-summary $(BUILD)/ctest.log; \
	echo "full log: $(BUILD)/ctest.log"; \
	exit $$status

demo: build
	@mkdir -p $(BUILD)/gallery
	@status=0; $(WINE_RUN) $(BUILD)/bin/demo.exe --shots $(BUILD)/gallery || status=$$?; \
	$(WINE_RUN) --stop; \
	echo "demo output: the text above; window pictures: $(BUILD)/gallery/"; \
	exit $$status

bench: build
	cmake --build $(BUILD) --target benchmarks
	@status=0; for b in $(BUILD)/bin/*_bench.exe; do \
	  $(WINE_RUN) reg add "$(IFEO)\\$$(basename $$b)" /v GlobalFlag /t REG_DWORD /d 0 /f >/dev/null 2>&1; \
	  echo "== $$b"; $(WINE_RUN) $$b || status=$$?; done; \
	$(WINE_RUN) --stop; exit $$status

clean:
	-$(WINE_RUN) --stop
	rm -rf $(BUILD)
