-- Tables of a reference-book file. The rows come from the CSV files in
-- ../refdata (see the README there for their sources).

-- Pipe diameters by nominal diameter. The outer diameter and the wall are
-- kept beside the inner diameter for reference; the program reads the first two.
CREATE TABLE [ДиамТрПр] (
  [УслДиамТрПр] smallint PRIMARY KEY,
  [ВнутрДиамТрПр] float,
  [НаружДиам] float,
  [Стенка] float
);

-- Density of water on the saturation line by temperature.
CREATE TABLE [ПлВодыОтТ] (
  [Т] smallint PRIMARY KEY,
  [Плотность] float
);

-- Correction coefficients to the specific pressure loss by nominal diameter
-- and equivalent roughness.
CREATE TABLE [ПопрКоэфКУдПот] (
  [УслДиамТрПр] smallint,
  [ЭквШер] float,
  [Коэф] float,
  PRIMARY KEY ([УслДиамТрПр], [ЭквШер])
);
