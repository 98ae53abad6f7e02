"""The twenty modules' names, in module order (module k is NAMES[k - 1]), for the tools that
write the page's gallery and the desktop hosts' settings."""
NAMES = ["Shechen", "Jokhang", "Mindroling", "Tsurphu", "Palpung", "Kathok", "Samdrup",
         "Drepung", "Sera", "Dzogchen", "Menri", "Samye", "Dorje Drak", "Nyingma", "Kagyu",
         "Sakya", "Surmang", "Ganden", "Palyul", "Gelug"]
