# One command each for a fresh Debian 12 machine:
#   make run    install what is missing, build, run the sample batch report
#   make test   install what is missing, run every test twice: built under
#               ASan/UBSan, and built as the Release that `make run` makes,
#               the second time as on a German desktop
# fonts-wqy-microhei (5 MB) gives the Korean menus their Hangul letters;
# locales holds the German locale's definition for the second test run;
# exfatprogs and exfat-fuse let the tests run as root put projects on an exFAT
# stick image mounted through FUSE, a file system that folds case.
PACKAGES := build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libfontconfig-dev \
            fonts-wqy-microhei exfatprogs exfat-fuse \
            googletest libgtest-dev libgmock-dev libbenchmark-dev \
            python3 python3-dbfread python3-dbf python3-ezdxf libdbd-xbase-perl libshp-dev \
            libxlsxwriter-dev unzip libocct-data-exchange-dev python3-openpyxl \
            libzip-dev libreoffice-calc xdg-utils poppler-utils fonts-dejavu-core tidy python3-jsonschema \
            locales
JOBS ?= $(shell nproc)
BUILD ?= build
TEST_BUILD ?= build-test
RELEASE_TEST_BUILD ?= build-release
SAMPLE ?= data/samples/null.bq4

# Let ccache share objects between checkouts in different folders.
# (make splits $(abspath) at blanks, so the shell names the folder.)
export CCACHE_BASEDIR ?= $(shell cd .. && pwd)
export CCACHE_NOHASHDIR ?= 1

.PHONY: deps build run test soak bench fuzz clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBQ4_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

# With a display the program starts on the sample project; without one the
# batch report of the sample's copy in the build tree is written and shown.
run: build
	@cd $(BUILD) && if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then ./wbq4 $(SAMPLE); else \
	  QT_QPA_PLATFORM=offscreen ./wbq4 $(SAMPLE) /I && cat $(basename $(SAMPLE)).txt && \
	  echo && echo "Report written to $$PWD/$(basename $(SAMPLE)).txt"; fi

# The optimiser can expose what the sanitizers hide, so the suite also runs
# against the Release build, configured as `make run` configures it. That
# run is a German user's (LANG=de_DE.UTF-8: decimal comma, day.month.year
# dates), the locale compiled into the build tree where the system lacks it.
test: deps
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBQ4_SANITIZE=ON -DBQ4_TESTS=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j $(JOBS)
	cmake -S . -B $(RELEASE_TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBQ4_TESTS=ON
	cmake --build $(RELEASE_TEST_BUILD) -j $(JOBS)
	cd $(RELEASE_TEST_BUILD) && QT_QPA_PLATFORM=offscreen "$(CURDIR)/tests/german_desktop.sh" . \
	  ctest --output-on-failure --timeout 600 -j $(JOBS)

# Long runs of the tests where programs share a table or are killed part-way.
soak: deps
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBQ4_SANITIZE=ON -DBQ4_TESTS=ON
	cmake --build $(TEST_BUILD) -j $(JOBS) --target bq4_dbf_tests
	cd $(TEST_BUILD) && QT_QPA_PLATFORM=offscreen BQ4_SOAK=1 ./tests/bq4_dbf_tests --gtest_filter='SharedTable.*'

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBQ4_TESTS=OFF -DBQ4_BENCHMARKS=ON
	cmake --build build-bench -j $(JOBS)

# Coverage-guided fuzzing of every file reader with clang's libFuzzer under
# ASan and UBSan, FUZZ_SECONDS per target, FUZZ_JOBS targets at a time. Not
# part of the tests (findings vary by run); the tests replay the corpus.
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 1
fuzz: deps
	@command -v clang++ >/dev/null || { SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; $$SUDO apt-get update && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y --no-install-recommends clang; }
	FUZZ_JOBS=$(FUZZ_JOBS) JOBS=$(JOBS) tests/fuzz/run.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(RELEASE_TEST_BUILD) build-bench build-fuzz
